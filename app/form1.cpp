// The main window: construction (the start-up sequence), the close handler, destruction and the
// controls' placement.
#include "app/form1.h"

#include "book/folders.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/paths.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>

TForm1* Form1 = nullptr;

namespace {

const char* const kFont = "Font";
const char* const kGlobal = "Global";

} // namespace

QString TForm1::TempDir() const
{
    return AppDir + QStringLiteral("temp") + QDir::separator();
}

TForm1::TForm1(const QString& appDir, QWidget* parent) : QWidget(parent)
{
    Form1 = this;
    try {
        // 1. The window and its controls, wired to their handlers.
        CreateControls();
        // 2.-5.
        FontStrip = QImage();
        PageStart = 1;
        b_p_up->setEnabled(false);
        ShowSysline = true;
        // 6.-8. The program folder and the sample text.
        AppDir = appDir.isEmpty() ? ExecutableDir() : appDir;
        if (!AppDir.endsWith(QDir::separator())) AppDir += QDir::separator();
        PreviewText.clear();
        PreviewText = ReadLineList(ToFsPath(AppDir + QStringLiteral("sample")));
        // 9.-11. The working folder, emptied of whatever an earlier run left.
        zipBaseFolder = AppDir + QStringLiteral("temp");
        CreateFolderChain(ToFsPath(TempDir()));
        ClearFolder(ToFsPath(TempDir()));
        // 12.-21. Font and background from the settings file.
        BookFont = FontSpec();
        IniFile config(ToFsPath(AppDir + QStringLiteral("config.ini")));
        BookFont.name = Cp1251ToQString(config.ReadString(kFont, "Name", "Tahoma"));
        BookFont.size = config.ReadInteger(kFont, "Size", 8);
        BookFont.color = config.ReadInteger(kFont, "Color", 0);
        BookFont.bold = BookFont.italic = BookFont.underline = BookFont.strikeOut = false;
        if (config.ReadBool(kFont, "Bold", false)) BookFont.bold = true;
        if (config.ReadBool(kFont, "Italic", false)) BookFont.italic = true;
        if (config.ReadBool(kFont, "Underline", false)) BookFont.underline = true;
        BackgroundColor = config.ReadInteger(kGlobal, "Background", 16777215);
        // 22.-23.
        BuildFontStrip();
        LoadProfiles();
        // 24.-27. Setting a control runs its change handler when the value differs.
        e_bott_cut->setValue(config.ReadInteger(kGlobal, "BottCut", 0));
        e_upper_cut->setValue(config.ReadInteger(kGlobal, "UpperCut", 0));
        e_model->SetItemIndex(config.ReadInteger(kGlobal, "Model", 1));
        e_sysline->SetItemIndex(config.ReadInteger(kGlobal, "Sysline", 1));
        // 28.-29. The folders of the file dialogs.
        SaveDir = Cp1251ToQString(config.ReadString(kGlobal, "SaveDir", QStringToCp1251(AppDir)));
        SaveDialog1.initialDir = SaveDir;
        OpenDir = Cp1251ToQString(config.ReadString(kGlobal, "OpenDir", QStringToCp1251(AppDir)));
        OpenDialog1.initialDir = OpenDir;
        // 31.-32.
        UpdateFontLabel();
        font_dialog = BookFont;
    } catch (...) {
        Form1 = nullptr;
        throw;
    }
}

TForm1::~TForm1()
{
    PreviewText.clear();
    if (!AppDir.isEmpty()) {
        const auto temp = ToFsPath(TempDir());
        ClearFolder(temp);
        std::error_code ec;
        std::filesystem::remove(temp, ec);
    }
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::FormClose()
{
    IniFile config(ToFsPath(AppDir + QStringLiteral("config.ini")));
    config.WriteInteger(kGlobal, "UpperCut", e_upper_cut->value());
    config.WriteInteger(kGlobal, "BottCut", e_bott_cut->value());
    config.WriteString(kFont, "Name", QStringToCp1251(BookFont.name));
    config.WriteInteger(kFont, "Size", BookFont.size);
    config.WriteBool(kFont, "Bold", BookFont.bold);
    config.WriteBool(kFont, "Italic", BookFont.italic);
    config.WriteBool(kFont, "Underline", BookFont.underline);
    config.WriteInteger(kFont, "Color", BookFont.color);
    config.WriteInteger(kGlobal, "Background", BackgroundColor);
    config.WriteInteger(kGlobal, "Model", e_model->ItemIndex());
    config.WriteInteger(kGlobal, "Sysline", e_sysline->ItemIndex());
    config.WriteString(kGlobal, "OpenDir", QStringToCp1251(OpenDir));
    config.WriteString(kGlobal, "SaveDir", QStringToCp1251(SaveDir));
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // The close goes ahead only when the settings were written; a failure propagates to the
    // message loop, which shows it, and the window stays open.
    event->ignore();
    FormClose();
    event->accept();
}

const t_profile* TForm1::SelectedProfile() const
{
    const int p = e_model->ItemIndex();
    if (p < 0 || p >= static_cast<int>(Profiles.size())) return nullptr;
    return &Profiles[static_cast<size_t>(p)];
}

void TForm1::SetOuterSize(int width, int height)
{
    outerSize_ = QSize(width, height);
    // The numbers include the window frame; take it off for the client area once it is known.
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    int dw = frame.width() - client.width();
    int dh = frame.height() - client.height();
    if (!isVisible() || dw < 0 || dh < 0) { dw = 0; dh = 0; }
    setFixedSize(std::max(1, width - dw), std::max(1, height - dh));
}

void TForm1::CreateControls()
{
    setWindowTitle(QStringLiteral("Lumira generator"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QFont face(QStringLiteral("Tahoma"));
    face.setPixelSize(FontPixelSize(8));
    setFont(face);
    setFixedSize(535, 344);

    auto label = [this](const QString& text, int x, int y, int w = 60, int h = 16) {
        auto* l = new QLabel(text, this);
        l->setGeometry(x, y, w, h);
        return l;
    };

    version = label(QStringLiteral("1.0.4a"), 56, 24, 60, 14);

    label(QStringLiteral("Название"), 8, 70);
    e_caption = new QLineEdit(this);
    e_caption->setGeometry(64, 68, 309, 21);

    label(QStringLiteral("Текст"), 8, 98);
    e_text = new QLineEdit(this);
    e_text->setGeometry(64, 96, 309, 21);
    e_text->setReadOnly(true);
    e_text_button = new QToolButton(e_text);
    e_text_button->setText(QStringLiteral("…"));
    e_text_button->setCursor(Qt::ArrowCursor);
    e_text_button->setGeometry(309 - 20, 1, 19, 19);

    label(QStringLiteral("Профиль"), 8, 126);
    e_model = new ListField(this);
    e_model->setGeometry(64, 124, 233, 21);
    b_profiles = new QPushButton(QStringLiteral("Профили"), this);
    b_profiles->setGeometry(300, 123, 75, 25);

    b_font = new QPushButton(QStringLiteral("Шрифт"), this);
    b_font->setGeometry(8, 176, 75, 25);
    b_back = new QPushButton(QStringLiteral("Фон"), this);
    b_back->setGeometry(8, 204, 75, 25);
    font_label = label(QString(), 88, 180, 125, 45);
    font_label->setAlignment(Qt::AlignCenter);
    font_label->setWordWrap(true);
    font_label->setAutoFillBackground(true);

    label(QStringLiteral("Подрезка сверху"), 220, 178, 94);
    e_upper_cut = new SpinField(0, 10, this);
    e_upper_cut->setGeometry(316, 176, 57, 21);
    label(QStringLiteral("Подрезка снизу"), 220, 206, 94);
    e_bott_cut = new SpinField(0, 10, this);
    e_bott_cut->setGeometry(316, 204, 57, 21);

    label(QStringLiteral("Отображать системную полосу"), 8, 262, 216);
    e_sysline = new ListField(this);
    e_sysline->setGeometry(228, 260, 141, 21);
    e_sysline->ReplaceItems({QStringLiteral("Вверху"), QStringLiteral("Внизу")});

    b_info = new QPushButton(this);
    b_info->setGeometry(8, 304, 32, 32);
    b_ok = new QPushButton(QStringLiteral("Создать"), this);
    b_ok->setGeometry(216, 308, 75, 25);
    b_ok->setEnabled(false);
    b_close = new QPushButton(QStringLiteral("Закрыть"), this);
    b_close->setGeometry(296, 308, 75, 25);

    i_scr = new QLabel(this);
    i_scr->setGeometry(396, 68, 128, 204);
    i_scrBitmap = QImage(128, 204, QImage::Format_RGB32);
    b_p_up = new QPushButton(this);
    b_p_up->setGeometry(396, 296, 37, 29);
    b_p_fire = new QPushButton(this);
    b_p_fire->setGeometry(440, 296, 41, 25);
    b_p_down = new QPushButton(this);
    b_p_down->setGeometry(488, 296, 37, 29);

    // Tab order as the user visits the controls.
    QWidget* order[] = {e_caption, e_text, e_model, b_font, b_back, e_upper_cut, e_bott_cut, e_sysline,
                        b_info, b_ok, b_close, b_p_up, b_p_fire, b_p_down, b_profiles};
    for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

    connect(e_caption, &QLineEdit::textChanged, this, [this] { e_captionPropertiesChange(); });
    connect(e_text, &QLineEdit::textChanged, this, [this] { e_captionPropertiesChange(); });
    connect(e_text_button, &QToolButton::clicked, this, [this] { cxButtonEdit1PropertiesButtonClick(); });
    connect(e_model, &ListField::itemIndexChanged, this, [this] { e_modelPropertiesChange(); });
    connect(e_sysline, &ListField::itemIndexChanged, this, [this] { e_modelPropertiesChange(); });
    connect(e_upper_cut, &QSpinBox::valueChanged, this, [this] { e_upper_cutPropertiesChange(); });
    connect(e_bott_cut, &QSpinBox::valueChanged, this, [this] { e_upper_cutPropertiesChange(); });
    connect(b_ok, &QPushButton::clicked, this, [this] { b_okClick(); });
    connect(b_close, &QPushButton::clicked, this, [this] { b_closeClick(); });
    connect(b_font, &QPushButton::clicked, this, [this] { b_fontClick(); });
    connect(b_back, &QPushButton::clicked, this, [this] { b_backClick(); });
    connect(b_profiles, &QPushButton::clicked, this, [this] { b_profilesClick(); });
    connect(b_info, &QPushButton::clicked, this, [this] { b_infoClick(); });
    connect(b_p_up, &QPushButton::clicked, this, [this] { b_p_upClick(); });
    connect(b_p_down, &QPushButton::clicked, this, [this] { b_p_downClick(); });
    connect(b_p_fire, &QPushButton::clicked, this, [this] { b_p_fireClick(); });
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] { b_closeClick(); });
}
