// The real desktop: Qt's standard dialogs, message boxes and QDesktopServices.
#include "font/book_qfont.h"
#include "font/qt_colors.h"
#include "platform/desktop.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdlib>

namespace lumira {

namespace {

// The text colours the font chooser offers, as the classic sixteen-colour list.
struct NamedColor {
    const char* name;  // UTF-8
    ColorValue value;
};
constexpr NamedColor kFontColors[] = {
    {QT_TRANSLATE_NOOP("Dialogs", "Чёрный"), 0x000000},  {QT_TRANSLATE_NOOP("Dialogs", "Бордовый"), 0x000080},
    {QT_TRANSLATE_NOOP("Dialogs", "Зелёный"), 0x008000},  {QT_TRANSLATE_NOOP("Dialogs", "Оливковый"), 0x008080},
    {QT_TRANSLATE_NOOP("Dialogs", "Тёмно-синий"), 0x800000},  {QT_TRANSLATE_NOOP("Dialogs", "Фиолетовый"), 0x800080},
    {QT_TRANSLATE_NOOP("Dialogs", "Сине-зелёный"), 0x808000},  {QT_TRANSLATE_NOOP("Dialogs", "Серый"), 0x808080},
    {QT_TRANSLATE_NOOP("Dialogs", "Серебристый"), 0xC0C0C0},  {QT_TRANSLATE_NOOP("Dialogs", "Красный"), 0x0000FF},
    {QT_TRANSLATE_NOOP("Dialogs", "Лайм"), 0x00FF00},  {QT_TRANSLATE_NOOP("Dialogs", "Жёлтый"), 0x00FFFF},
    {QT_TRANSLATE_NOOP("Dialogs", "Синий"), 0xFF0000},  {QT_TRANSLATE_NOOP("Dialogs", "Фуксия"), 0xFF00FF},
    {QT_TRANSLATE_NOOP("Dialogs", "Голубой"), 0xFFFF00},  {QT_TRANSLATE_NOOP("Dialogs", "Белый"), 0xFFFFFF},
};

QIcon Swatch(ColorValue value)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(ColorValueToQColor(value));
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.drawRect(0, 0, 15, 11);
    return QIcon(pixmap);
}

// Qt's font panel as a part of a larger dialog: Enter in its lists and Esc anywhere in it answer
// the whole dialog instead of hiding the panel alone.
class FontPanel : public QFontDialog {
public:
    FontPanel(const QFont& start, QDialog* owner) : QFontDialog(start, owner), owner_(owner) {}
    void done(int result) override { owner_->done(result); }

private:
    QDialog* owner_;
};

// The face a font's name stands for on this machine: the family the font system draws it with.
// For a face the machine lacks (Tahoma) or a generic alias ("Sans Serif") that is the real face
// standing in, say "DejaVu Sans", whose styles include bold; the aliases offer no bold.
QString InstalledFamily(const QFont& font)
{
    return QFontInfo(font).family();
}

// The installed style of `family` that stands for the stored style: the same slant, the weight
// nearest to plain or bold, and among equals the shortest name ("Bold" before "Condensed Bold").
QString InstalledStyle(const QString& family, bool bold, bool italic)
{
    const int target = bold ? 700 : 400;
    QString best;
    int bestDistance = 0;
    for (const QString& style : QFontDatabase::styles(family)) {
        // Oblique counts as italic, as QFont::italic() has it.
        if ((QFontDatabase::font(family, style, 12).style() != QFont::StyleNormal) != italic) continue;
        const int weight = QFontDatabase::weight(family, style);
        if ((weight >= 600) != bold) continue;
        const int distance = std::abs(weight - target);
        if (best.isEmpty() || distance < bestDistance || (distance == bestDistance && style.size() < best.size())) {
            best = style;
            bestDistance = distance;
        }
    }
    return best;
}

// The font the panel opens on: the face as installed, its size in points, and the style by its
// installed name, so that the style list shows exactly the style confirmed last time.
QFont PanelStartFont(const BookFontStyle& fontStyle)
{
    QFont font = MakeQFont(fontStyle);
    const QString family = InstalledFamily(font);
    font.setFamily(family);
    font.setPointSize(std::max(1, fontStyle.size));
    const QString style = InstalledStyle(family, fontStyle.bold, fontStyle.italic);
    if (!style.isEmpty()) font.setStyleName(style);
    return font;
}

// The font chooser: Qt's font panel (family, style, size, underline and strike-out) with a colour
// list below it. "Другой…" at the end of the list picks any colour.
class FontChooser : public QDialog {
public:
    FontChooser(QWidget* parent, const BookFontStyle& initial) : QDialog(parent), initial_(initial), color_(initial.color)
    {
        setWindowTitle(QCoreApplication::translate("Dialogs", "Шрифт"));
        panel_ = new FontPanel(PanelStartFont(initial), this);
        panel_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
        panel_->setWindowFlags(Qt::Widget);
        // A face this machine lacks is shown as the face standing in for it.
        shownFamily_ = panel_->currentFont().family();
        shownStyle_ = panel_->currentFont().styleName();

        colors_ = new QComboBox(this);
        for (const NamedColor& c : kFontColors) colors_->addItem(Swatch(c.value), QCoreApplication::translate("Dialogs", c.name), c.value);
        colors_->addItem(QCoreApplication::translate("Dialogs", "Другой…"));
        SelectColor(color_);
        connect(colors_, &QComboBox::activated, this, [this](int index) {
            const QVariant value = colors_->itemData(index);
            if (value.isValid()) {
                color_ = value.toInt();
                return;
            }
            const QColor picked = QColorDialog::getColor(ColorValueToQColor(color_), this);
            if (picked.isValid()) color_ = QColorToColorValue(picked);
            SelectColor(color_);
        });

        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons->button(QDialogButtonBox::Cancel)->setText(QCoreApplication::translate("Dialogs", "Отмена"));
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

        auto* colorRow = new QHBoxLayout;
        colorRow->addWidget(new QLabel(QCoreApplication::translate("Dialogs", "Цвет:"), this));
        colorRow->addWidget(colors_, 1);
        colorRow->addStretch(1);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(panel_);
        layout->addLayout(colorRow);
        layout->addWidget(buttons);
    }

    // The font as confirmed. What was left as shown stays as it was given: the name, even if the
    // machine lacks that face, and the style, even if the face has none like it (an italic
    // stored for a face without one cannot be shown, but is not lost by OK either).
    BookFontStyle Chosen() const
    {
        const QFont font = panel_->currentFont();
        BookFontStyle fontStyle = BookFontStyleFromQFont(font, color_);
        if (font.family() != shownFamily_) return fontStyle;
        fontStyle.name = initial_.name;
        if (font.styleName() == shownStyle_) {
            fontStyle.bold = initial_.bold;
            fontStyle.italic = initial_.italic;
        }
        return fontStyle;
    }

private:
    // Shows `value` in the list; a colour outside the list gets an entry of its own before "Другой…".
    void SelectColor(ColorValue value)
    {
        int at = colors_->findData(value);
        if (at < 0) {
            const int custom = static_cast<int>(std::size(kFontColors));
            if (hasCustom_) colors_->removeItem(custom);
            colors_->insertItem(custom, Swatch(value), QCoreApplication::translate("Dialogs", "Особый"), value);
            hasCustom_ = true;
            at = custom;
        }
        colors_->setCurrentIndex(at);
    }

    BookFontStyle initial_;
    QString shownFamily_;
    QString shownStyle_;
    QFontDialog* panel_;
    QComboBox* colors_;
    ColorValue color_;
    bool hasCustom_ = false;
};

QString DialogStartPath(const FileDialogOptions& options)
{
    if (options.fileName.isEmpty()) return options.initialDir;
    if (QDir::isAbsolutePath(options.fileName)) return options.fileName;
    return options.initialDir + options.fileName;
}

std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogOptions& options, QFileDialog::AcceptMode mode)
{
    const QString title = mode == QFileDialog::AcceptOpen ? QCoreApplication::translate("Dialogs", "Открыть") : QCoreApplication::translate("Dialogs", "Сохранить как");
    QFileDialog dialog(parent, title, DialogStartPath(options), QtFilterFromPairs(options.filter));
    dialog.setAcceptMode(mode);
    // One file; a typed name of a file that does not exist is accepted too.
    dialog.setFileMode(QFileDialog::AnyFile);
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

    std::optional<BookFontStyle> ChooseFont(QWidget* parent, const BookFontStyle& initial) override
    {
        FontChooser chooser(parent, initial);
        if (chooser.exec() != QDialog::Accepted) return std::nullopt;
        return chooser.Chosen();
    }

    std::optional<ColorValue> ChooseColor(QWidget* parent, ColorValue initial) override
    {
        const QColor color = QColorDialog::getColor(ColorValueToQColor(initial), parent, QCoreApplication::translate("Dialogs", "Цвет"));
        if (!color.isValid()) return std::nullopt;
        return QColorToColorValue(color);
    }

    void ShowMessage(QWidget* parent, const QString& text) override
    {
        QMessageBox::information(parent, QApplication::applicationDisplayName(), text);
    }

    bool Ask(QWidget* parent, const QString& question) override
    {
        QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), question, QMessageBox::NoButton, parent);
        QPushButton* yes = box.addButton(QCoreApplication::translate("Dialogs", "Да"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QCoreApplication::translate("Dialogs", "Нет"), QMessageBox::NoRole);
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    }

    void ShowError(QWidget* parent, const QString& text) override
    {
        QMessageBox::critical(parent, QApplication::applicationDisplayName(), text);
    }

    bool OpenUrl(const QString& url) override { return QDesktopServices::openUrl(QUrl(url)); }

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

} // namespace lumira
