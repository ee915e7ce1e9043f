#include "platform/errors.h"

#include <QCoreApplication>
#include <QString>
#include <cstring>
#include <new>
#include <system_error>

namespace lumira {

namespace {

struct KnownReason {
    int error;
    const char* text;  // Russian; English in the translation
};

// The reasons a person meets with files, worded for the end of a message.
const KnownReason kKnownReasons[] = {
    {ENOENT, QT_TRANSLATE_NOOP("SystemError", "нет такого файла или папки")},
    {EACCES, QT_TRANSLATE_NOOP("SystemError", "отказано в доступе")},
    {EPERM, QT_TRANSLATE_NOOP("SystemError", "операция не разрешена")},
    {EROFS, QT_TRANSLATE_NOOP("SystemError", "файловая система только для чтения")},
    {ENOSPC, QT_TRANSLATE_NOOP("SystemError", "на устройстве не осталось места")},
    {EDQUOT, QT_TRANSLATE_NOOP("SystemError", "превышена дисковая квота")},
    {EFBIG, QT_TRANSLATE_NOOP("SystemError", "файл слишком велик")},
    {EISDIR, QT_TRANSLATE_NOOP("SystemError", "это папка")},
    {ENOTDIR, QT_TRANSLATE_NOOP("SystemError", "часть пути не является папкой")},
    {EEXIST, QT_TRANSLATE_NOOP("SystemError", "файл уже существует")},
    {EMFILE, QT_TRANSLATE_NOOP("SystemError", "слишком много открытых файлов")},
    {ENFILE, QT_TRANSLATE_NOOP("SystemError", "слишком много открытых файлов в системе")},
    {ENAMETOOLONG, QT_TRANSLATE_NOOP("SystemError", "слишком длинное имя файла")},
    {ELOOP, QT_TRANSLATE_NOOP("SystemError", "слишком много символических ссылок подряд")},
    {EIO, QT_TRANSLATE_NOOP("SystemError", "ошибка ввода-вывода")},
    {EBUSY, QT_TRANSLATE_NOOP("SystemError", "устройство или ресурс заняты")},
    {ETXTBSY, QT_TRANSLATE_NOOP("SystemError", "файл занят")},
    {ENOMEM, QT_TRANSLATE_NOOP("SystemError", "недостаточно памяти")},
    {EINVAL, QT_TRANSLATE_NOOP("SystemError", "недопустимый аргумент")},
};

std::string Tr(const char* source)
{
    return QCoreApplication::translate("FileErrors", source).toStdString();
}

// `pattern` (holding %1 for the path) with the path, then the reason after a colon.
std::string Described(const char* pattern, const std::filesystem::path& path, int error)
{
    std::string text = QCoreApplication::translate("FileErrors", pattern).arg(QString::fromStdString(PathText(path))).toStdString();
    const std::string reason = SystemReason(error);
    if (!reason.empty()) text += ": " + reason;
    return text;
}

} // namespace

std::string PathText(const std::filesystem::path& path)
{
    const auto u8 = std::filesystem::path(path).make_preferred().u8string();
    return std::string(u8.begin(), u8.end());
}

std::string SystemReason(int error)
{
    if (error == 0) return {};
    for (const KnownReason& known : kKnownReasons)
        if (known.error == error) return QCoreApplication::translate("SystemError", known.text).toStdString();
    // A rare one: the C library's own words (in English where its catalogue lacks the language).
    return QString::fromLocal8Bit(std::strerror(error)).toStdString();
}

std::string CannotOpenText(const std::filesystem::path& path, int error)
{
    return Described(QT_TRANSLATE_NOOP("FileErrors", "Не удаётся открыть файл «%1»"), path, error);
}

std::string CannotCreateText(const std::filesystem::path& path, int error)
{
    return Described(QT_TRANSLATE_NOOP("FileErrors", "Не удаётся создать файл «%1»"), path, error);
}

std::string UnableToWriteText(const std::filesystem::path& path, int error)
{
    return Described(QT_TRANSLATE_NOOP("FileErrors", "Не удаётся записать файл «%1»"), path, error);
}

std::string CannotCreateFolderText(const std::filesystem::path& path, int error)
{
    return Described(QT_TRANSLATE_NOOP("FileErrors", "Не удаётся создать папку «%1»"), path, error);
}

std::string FailureText(const std::exception& failure)
{
    if (dynamic_cast<const AppError*>(&failure)) return failure.what();
    if (const auto* fileSystem = dynamic_cast<const std::filesystem::filesystem_error*>(&failure)) {
        const std::error_code& code = fileSystem->code();
        const bool errnoValue = code.category() == std::generic_category() || code.category() == std::system_category();
        std::string text = fileSystem->path1().empty()
                               ? Tr(QT_TRANSLATE_NOOP("FileErrors", "Ошибка файловой системы"))
                               : Described(QT_TRANSLATE_NOOP("FileErrors", "Ошибка файловой системы: «%1»"), fileSystem->path1(), 0);
        const std::string reason = errnoValue ? SystemReason(code.value()) : code.message();
        return reason.empty() ? text : text + ": " + reason;
    }
    if (dynamic_cast<const std::bad_alloc*>(&failure)) return Tr(QT_TRANSLATE_NOOP("FileErrors", "Недостаточно памяти"));
    return failure.what();
}

void ThrowNotRegularFile(const std::filesystem::path& path)
{
    throw AppError(Described(QT_TRANSLATE_NOOP("FileErrors", "«%1» — не обычный файл, а канал, устройство или сокет"), path, 0));
}

void ThrowCannotOpen(const std::filesystem::path& path, int error)
{
    throw AppError(CannotOpenText(path, error), error);
}

void ThrowCannotCreate(const std::filesystem::path& path, int error)
{
    throw AppError(CannotCreateText(path, error), error);
}

void ThrowUnableToWrite(const std::filesystem::path& path, int error)
{
    throw AppError(UnableToWriteText(path, error), error);
}

void ThrowStreamReadError(int error)
{
    std::string text = Tr(QT_TRANSLATE_NOOP("FileErrors", "Ошибка чтения файла"));
    const std::string reason = SystemReason(error);
    if (!reason.empty()) text += ": " + reason;
    throw AppError(text, error);
}

} // namespace lumira
