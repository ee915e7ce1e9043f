// The real desktop: Qt's standard dialogs, message boxes and QDesktopServices.
#include "platform/desktop.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QUrl>

namespace {

QString DialogStartPath(const FileDialogOptions& options)
{
    if (options.fileName.isEmpty()) return options.initialDir;
    if (QDir::isAbsolutePath(options.fileName)) return options.fileName;
    return options.initialDir + options.fileName;
}

std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogOptions& options, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, QString(), DialogStartPath(options), QtFilterFromPairs(options.filter));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::AnyFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(options.defaultExt);
    // Output files are replaced without asking.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!options.fileName.isEmpty()) dialog.selectFile(QFileInfo(options.fileName).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().first());
}

class QtDesktop final : public Desktop {
public:
    std::optional<QString> OpenFile(QWidget* parent, const FileDialogOptions& options) override
    {
        return RunFileDialog(parent, options, QFileDialog::AcceptOpen);
    }

    std::optional<QString> SaveFile(QWidget* parent, const FileDialogOptions& options) override
    {
        return RunFileDialog(parent, options, QFileDialog::AcceptSave);
    }

    std::optional<FontSpec> ChooseFont(QWidget* parent, const FontSpec& initial) override
    {
        QFont start = MakeQFont(initial);
        start.setPointSize(initial.size);
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, start, parent);
        if (!ok) return std::nullopt;
        return FontSpecFromQFont(font, initial.color);
    }

    std::optional<ColorValue> ChooseColor(QWidget* parent, ColorValue initial) override
    {
        const QColor color = QColorDialog::getColor(ColorValueToQColor(initial), parent);
        if (!color.isValid()) return std::nullopt;
        return QColorToColorValue(color);
    }

    void ShowMessage(QWidget* parent, const QString& text) override
    {
        QMessageBox::information(parent, QApplication::applicationDisplayName(), text);
    }

    void ShowError(QWidget* parent, const QString& text) override
    {
        QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
    }

    void OpenUrl(const QString& url) override { QDesktopServices::openUrl(QUrl(url)); }

    void SetBusy(bool busy) override
    {
        if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
        else QApplication::restoreOverrideCursor();
    }
};

Desktop* g_installed = nullptr;

} // namespace

Desktop& TheDesktop()
{
    static QtDesktop real;
    return g_installed ? *g_installed : real;
}

void InstallDesktop(Desktop* desktop)
{
    g_installed = desktop;
}

QString QtFilterFromPairs(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) + QLatin1Char(')');
    return out.join(QStringLiteral(";;"));
}
