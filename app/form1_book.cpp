// Create: the .jar and the .jad of the book.
#include "app/form1.h"

#include "book/book_builder.h"
#include "book/book_text.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/paths.h"

#include <QDir>
#include <QLineEdit>

void TForm1::b_okClick()
{
    BuildBookPackage();
}

void TForm1::BuildBookPackage()
{
    // Without a phone there is nothing to fill the record with: say so before asking for a path.
    const t_profile* profile = SelectedProfile();
    if (!profile) throw AppError(tr("Не выбран профиль телефона.").toStdString());

    SaveDialog1.filter = tr("Jar-пакет|*.jar|Все файлы|*.*");
    SaveDialog1.defaultExt = QStringLiteral("jar");
    const auto chosen = TheDesktop().SaveFile(this, SaveDialog1);
    if (!chosen) return;
    SaveDir = FolderPart(*chosen);

    BookRequest request;
    request.titleCp1251 = QStringToCp1251(e_caption->text());
    request.profile = profile;
    request.background = BackgroundColor;
    request.syslineIndex = e_sysline->ItemIndex();
    request.workFolder = ToFsPath(zipBaseFolder);
    request.templateArchive = Folders.DataFile("velmar.dat");
    request.jarPath = ToFsPath(*chosen);

    QString notice;
    {
        BusyCursor busy;
        // A text in another encoding is converted into a copy in the system's temporary folder,
        // outside the working folder whose whole content goes into the package.
        const BookText text(ToFsPath(e_text->text()), Encoding, ToFsPath(QDir::tempPath()));
        request.textFile = text.File();
        BuildBook(request, BookSettingsRecord);
        notice = text.Notice();
    }
    if (!notice.isEmpty()) TheDesktop().ShowMessage(this, notice);
}
