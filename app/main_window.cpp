// The main window: construction (the start-up sequence), the close handler, destruction and the
// controls' placement.
#include "app/main_window.h"
#include "preview/page_indexer.h"

#include "font/qt_colors.h"
#include "platform/application.h"
#include "platform/cp1251.h"
#include "platform/desktop.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/ini_file.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "app/font_configuration.h"
#include "platform/version.h"
#include "settings/settings_file.h"

#include "app/pictures.h"
#include "app/settings_column.h"
#include "formats/hyphenator.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <QWindow>
#include <QBoxLayout>
#include <QGridLayout>
#include <QListWidget>
#include <algorithm>
#include <functional>
#include <memory>

namespace lumira {

namespace {

// The window as designed: its client area and the colours of the banner and the rules.
constexpr int kDesignWidth = 535;
constexpr int kDesignHeight = 344;
constexpr ColorValue kBannerColor = 0x1FC4FA;
constexpr int kBannerHeight = 41;
// The banner's text box: 314 pixels wide, ending 21 pixels before the window's right edge.
constexpr int kBannerTextWidth = 314;
constexpr int kBannerTextRightGap = 21;
// The preview column starts here, its heading above the preview; b_p_down ends this far before
// the window's right edge, and the paging buttons stand this far apart.
constexpr int kPreviewLeft = 396;
constexpr int kPreviewTop = 68;
constexpr int kColumnRightMargin = 10;
constexpr int kPagingGap = 7;
// The sizing rule's outer size around the preview: its right margin, bottom margin and least height.
constexpr int kPreviewRightMargin = 18;
constexpr int kPreviewBottomMargin = 100;
constexpr int kLeastOuterHeight = 378;
// However small the window, the preview's frame keeps at least this much.
constexpr int kLeastPreviewSide = 64;


// Passes a window's events to a function before the window handles them.
class EventHook : public QObject {
public:
    EventHook(QWidget* target, std::function<void(QEvent*)> onEvent) : QObject(target), onEvent_(std::move(onEvent))
    {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        onEvent_(event);
        return false;
    }

private:
    std::function<void(QEvent*)> onEvent_;
};

QFont Bold(QFont font)
{
    font.setBold(true);
    return font;
}

QPixmap Picture(const QImage& image)
{
    return QPixmap::fromImage(image);
}

// The families of `wanted` that are installed, in their order; all of `wanted` when none is. A
// family that is missing would make the font system work out substitutes for it and for the one
// that stands in for it, for every script, only to take the next family of the list in the end.
QStringList InstalledFamilies(const QStringList& wanted)
{
    const QStringList installed = QFontDatabase::families();
    QStringList found;
    for (const QString& family : wanted) {
        const bool present = std::any_of(installed.begin(), installed.end(), [&](const QString& name) {
            // A family that several foundries make is listed once for each, as "Family [Foundry]".
            const qsizetype bracket = name.indexOf(QStringLiteral(" ["));
            return QStringView(name).left(bracket < 0 ? name.size() : bracket).compare(family, Qt::CaseInsensitive) == 0;
        });
        if (present) found << family;
    }
    return found.isEmpty() ? wanted : found;
}

} // namespace

QString MainWindow::TempDir() const
{
    return FolderText(Folders.TempDir());
}

QString MainWindow::FontsFolder() const
{
    return TempDir() + QStringLiteral("fonts");
}

namespace {

AppFolders FoldersFor(const QString& appDir)
{
    if (!appDir.isEmpty()) return PortableFolders(ToFsPath(appDir));
    AppFolders folders = ChooseAppFolders(ToFsPath(ExecutableDir()));
    PrepareAppFolders(folders);
    return folders;
}

} // namespace

MainWindow::MainWindow(const QString& appDir, QWidget* parent) : MainWindow(FoldersFor(appDir), parent) {}

MainWindow::MainWindow(const AppFolders& folders, QWidget* parent) : QWidget(parent), Folders(folders)
{
    // The files first, which need no fonts: meanwhile the font configuration may still be
    // being read (font_configuration.h).
    // The program folder and the sample text.
    AppDir = FolderText(Folders.programDir);
    PreviewText.clear();
    // In English the preview starts with the English sample where one ships.
    const std::filesystem::path englishSample = Folders.DataFile("sample.en");
    std::error_code noSample;
    PreviewText = ReadLineList(CurrentLanguage() == Language::English && std::filesystem::exists(englishSample, noSample)
                                   ? englishSample
                                   : Folders.DataFile("sample"));
    // The working folder, emptied of whatever an earlier run left.
    zipBaseFolder = FromFsPath(Folders.TempDir());
    PrepareWorkFolder(Folders.TempDir());
    ClearFolder(ToFsPath(TempDir()));
    // The settings file and the phone list.
    const StoredSettings stored =
        ReadStoredSettings(IniFile(Folders.ConfigFile("config.ini")), FolderText(Folders.documentDir));
    std::vector<PhoneProfile> profiles = ReadProfileFile();
    Hyphenator::KeepCompiledDictionariesIn(Folders.DictionaryCacheDir());
    if (stored.dictionaryHyphens)
        dictionaryLoading_ = LoadDictionariesMeanwhile(HyphenationFolders(Folders));

    // The window and its controls, wired to their handlers: from here on a value set in a
    // control runs its change handler when it differs from the one the control holds.
    WaitForFontConfiguration();
    // The glyph strip of the stored settings, drawn on another thread while the controls are made.
    StartEarlyStrip(stored.font, stored.background, stored.upperCut, stored.bottCut);
    StartPictureDrawing();
    CreateControls();
    FontStrip = QImage();
    Book.pageStart = 1;
    b_p_up->setEnabled(false);
    ShowSysline = true;
    // The model of the stored settings: font and background first, then the glyph strip and the
    // phone list.
    for (const std::string& notice : stored.notices) TheDesktop().ShowError(this, QString::fromStdString(notice));
    Book = ModelFromStored(stored);
    BuildFontStrip();
    ShowProfiles(std::move(profiles));
    // The remaining controls; each runs its handler only when the stored value differs.
    e_bott_cut->setValue(stored.bottCut);
    e_upper_cut->setValue(stored.upperCut);
    e_model->SetItemIndex(stored.model);
    e_sysline->SetItemIndex(BandIndex(BandAt(stored.sysline)));
    e_hyphenation->SetItemIndex(stored.dictionaryHyphens ? 0 : 1);
    // What the controls made of the stored values (a list position out of range, a cut beyond the
    // field's range) is what the model holds from now on.
    TakeControlValues();
    // The preview's zoom and its contents list as they were left.
    SetPreviewZoom(Book.previewZoom);
    contentsToggle->setChecked(Book.contentsShown);
    // The folders of the file dialogs.
    SaveDialog1.initialDir = Book.saveDir;
    OpenDialog1.initialDir = Book.openDir;
    UpdateEncodingButton();
    UpdateFontLabel();
    font_dialog = Book.font;
    // The glyph strip and the preview, once, for the settings as they now stand.
    FinishStartUp();
}

MainWindow::~MainWindow()
{
    // The page index's threads end first: nothing of theirs reaches the window from here on.
    pageIndexer_.reset();
    PreviewText.clear();
    if (!AppDir.isEmpty()) {
        const auto temp = ToFsPath(TempDir());
        ClearFolder(temp);
        std::error_code ec;
        std::filesystem::remove(temp, ec);
    }
}

void MainWindow::FormClose()
{
    TakeControlValues();
    WriteBookModel(IniFile(Folders.ConfigFile("config.ini")), Book);
}

void MainWindow::TakeControlValues()
{
    Book.text = e_text->text();
    Book.title = e_caption->text();
    Book.upperCut = e_upper_cut->value();
    Book.bottCut = e_bott_cut->value();
    Book.profile = e_model->ItemIndex();
    Book.band = BandAt(e_sysline->ItemIndex());
    Book.dictionaryHyphens = DictionaryHyphens();
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    // Esc reaches the window only when the control with the focus left it alone: "Закрыть" is
    // the window's cancel button.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        b_close->click();
        return;
    }
    if (PageByKey(*event, false)) return;
    QWidget::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The close always goes ahead: settings that cannot be written are lost, and the user is told
    // so once, rather than kept in a window that cannot be closed.
    try {
        FormClose();
    } catch (...) {
        TheDesktop().ShowError(this, tr("Настройки не сохранены: %1").arg(CurrentExceptionMessage()));
    }
    event->accept();
}

const PhoneProfile* MainWindow::SelectedProfile() const
{
    const int p = Book.profile;
    if (p < 0 || p >= static_cast<int>(Profiles.size())) return nullptr;
    return &Profiles[static_cast<size_t>(p)];
}

QSize MainWindow::OuterSizeFor(const QSize& preview)
{
    return QSize(kPreviewLeft + preview.width() + kPreviewRightMargin,
                 std::max(kPreviewTop + preview.height() + kPreviewBottomMargin, kLeastOuterHeight));
}

void MainWindow::SetOuterSize(int width, int height)
{
    outerSize_ = QSize(width, height);
    FitToScreen();
}

QSize MainWindow::WantedClientSize() const
{
    // The numbers of the rule include the window frame. Until the window system has framed the
    // window the frame counts as nothing; once it is known the size is applied again.
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    QSize client = outerSize_.shrunkBy(frame);
    // The contents list, when shown, takes its own room beside the preview; the controls need at
    // least their own room.
    if (contentsList && !contentsList->isHidden()) client.rwidth() += contentsList->width() + kPagingGap;
    client = client.expandedTo(client_->minimumSizeHint());
    return client;
}

void MainWindow::FitToScreen()
{
    // A window the user maximised or made full-screen keeps its size: only the preview follows.
    if (!outerSize_.isValid() || isMaximized() || isFullScreen()) return;
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    QSize client = WantedClientSize();
    const QScreen* where = screen();
    if (!where) {
        resize(client);
        return;
    }
    // Never more than the screen's available area, frame included: there the controls scroll
    // inside the window, and the preview in its frame.
    const QRect area = where->availableGeometry();
    client = client.boundedTo(area.size().shrunkBy(frame)).expandedTo(QSize(1, 1));
    resize(client);
    FitOnScreen();
}

void MainWindow::GrowForControls()
{
    // Only a need that grew: a window the user made smaller than its controls stays so.
    const QSize need = client_->minimumSizeHint();
    const QSize growth = (need - controlsNeed_).expandedTo(QSize(0, 0));
    controlsNeed_ = need;
    if (growth.isNull() || !isVisible() || isMaximized() || isFullScreen() || !screen()) return;
    const QSize lacking = (need - clientScroll_->viewport()->size()).expandedTo(QSize(0, 0)).boundedTo(growth);
    if (lacking.isNull()) return;
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    resize((size() + lacking).boundedTo(screen()->availableGeometry().size().shrunkBy(frame)));
    FitOnScreen();
}

void MainWindow::FitOnScreen()
{
    if (!isVisible() || !screen()) return;
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QRect area = screen()->availableGeometry();
    const QRect outer(frameGeometry().topLeft(), size().grownBy(frame));
    QPoint corner = outer.topLeft();
    corner.setX(std::clamp(corner.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width())));
    corner.setY(std::clamp(corner.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height())));
    if (corner != outer.topLeft()) move(corner);
}

void MainWindow::ShowWindowPictures(QLabel& stackOfPages)
{
    const WindowPictures pictures = windowPictures_.valid() ? windowPictures_.get() : DrawWindowPictures();
    stackOfPages.setPixmap(Picture(pictures.stackOfPages));
    b_info->setIcon(Picture(pictures.question));
    b_p_up->setIcon(Picture(pictures.arrowUp));
    b_p_fire->setIcon(Picture(pictures.squareDot));
    b_p_down->setIcon(Picture(pictures.arrowDown));
}

void MainWindow::CreateControls()
{
    setWindowTitle(QStringLiteral("Lumira generator"));
    // Tahoma 8 points at 96 DPI; where it is missing, a face of like width.
    QFont face(QStringLiteral("Tahoma"));
    face.setFamilies(InstalledFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Verdana")}));
    face.setPixelSize(FontPixelSize(8));
    setFont(face);
    resize(kDesignWidth, kDesignHeight);

    // Every control lies on one client surface that fills the window; it scrolls only when the
    // window is smaller than the controls need (a small screen, or the user made it so).
    auto* windowLayout = new QVBoxLayout(this);
    windowLayout->setContentsMargins(0, 0, 0, 0);
    clientScroll_ = new QScrollArea(this);
    clientScroll_->setObjectName(QStringLiteral("clientScroll"));
    clientScroll_->setFrameShape(QFrame::NoFrame);
    clientScroll_->setFocusPolicy(Qt::NoFocus);
    clientScroll_->setWidgetResizable(true);
    windowLayout->addWidget(clientScroll_);
    client_ = new QWidget;
    client_->setObjectName(QStringLiteral("client"));
    // The window's face from the start: each control takes it as it is made and measures itself
    // in it, instead of all of them changing face when the surface is moved into the window.
    client_->setFont(font());
    auto* clientLayout = new QVBoxLayout(client_);
    clientLayout->setContentsMargins(0, 0, 0, 0);
    clientLayout->setSpacing(0);

    // ---- The banner: the picture and the version at the left, the text kept to the right edge ----
    auto* banner = new QWidget(client_);
    banner->setObjectName(QStringLiteral("banner"));
    banner->setFixedHeight(kBannerHeight);
    banner->setAutoFillBackground(true);
    {
        QPalette palette = banner->palette();
        palette.setColor(QPalette::Window, ColorValueToQColor(kBannerColor));
        palette.setColor(QPalette::WindowText, Qt::black);
        banner->setPalette(palette);
    }
    banner->setFont(Bold(font()));
    auto* pages = new QLabel(banner);
    pages->setFixedSize(32, 32);
    version = new QLabel(QString::fromLatin1(kProgramVersion), banner);
    version->setObjectName(QStringLiteral("version"));
    {
        QFont plain = font();
        plain.setBold(false);
        version->setFont(plain);
    }
    // Its text's top 24 pixels below the banner's top.
    version->setFixedHeight(kBannerHeight - 24);
    version->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    {
        QPalette palette = version->palette();
        palette.setColor(QPalette::WindowText, QColor(0x70, 0x70, 0x70));
        version->setPalette(palette);
    }
    auto* bannerText = new QLabel(tr("Генератор мидлетов Lumira для устройств с поддержкой MIDP-2.0"), banner);
    bannerText->setObjectName(QStringLiteral("bannerText"));
    bannerText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bannerText->setWordWrap(true);
    bannerText->setFixedSize(kBannerTextWidth, kBannerHeight);
    {
        auto* row = new QHBoxLayout(banner);
        row->setContentsMargins(8, 0, kBannerTextRightGap, 0);
        row->setSpacing(16);
        row->addWidget(pages, 0, Qt::AlignVCenter);
        row->addWidget(version, 0, Qt::AlignBottom);
        row->addStretch(1);
        row->addWidget(bannerText);
    }

    // ---- Left column: the three groups of settings and the window's buttons ----
    settingsColumn_ = CreateSettingsColumn(client_);

    // ---- The preview column: its heading, the preview in a frame that takes the room left, the
    // paging buttons under it ----
    auto* previewColumn = new QVBoxLayout;
    previewColumn->setContentsMargins(0, 48 - kBannerHeight, 0, 0);
    previewColumn->setSpacing(kPreviewTop - 48 - 16);
    auto* previewHeading = new QLabel(tr("Предпросмотр"), client_);
    previewHeading->setFont(Bold(font()));
    previewHeading->setFixedHeight(16);
    previewColumn->addWidget(previewHeading);
    // The preview's frame: the page at its zoom, scrolling inside when the window lacks the room.
    previewFrame_ = new QScrollArea(client_);
    previewFrame_->setObjectName(QStringLiteral("previewFrame"));
    previewFrame_->setFrameShape(QFrame::NoFrame);
    previewFrame_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    previewFrame_->setMinimumSize(kLeastPreviewSide, kLeastPreviewSide);
    previewFrame_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    i_scr = new QLabel;
    i_scr->setObjectName(QStringLiteral("i_scr"));
    i_scr->resize(128, 204);
    i_scr->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    previewFrame_->setWidget(i_scr);
    i_scrBitmap = QImage(128, 204, QImage::Format_RGB32);
    previewColumn->addWidget(previewFrame_, 1);
    b_p_up = new QPushButton(client_);
    b_p_up->setFixedSize(37, 29);
    b_p_up->setIconSize(QSize(18, 18));
    b_p_fire = new QPushButton(client_);
    b_p_fire->setFixedHeight(25);
    b_p_fire->setMinimumWidth(18);
    b_p_fire->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    b_p_fire->setIconSize(QSize(15, 15));
    b_p_down = new QPushButton(client_);
    b_p_down->setFixedSize(37, 29);
    b_p_down->setIconSize(QSize(18, 18));
    auto* pagingRow = new QHBoxLayout;
    pagingRow->setSpacing(kPagingGap);
    pagingRow->addWidget(b_p_up, 0, Qt::AlignTop);
    pagingRow->addWidget(b_p_fire, 1, Qt::AlignTop);
    pagingRow->addWidget(b_p_down, 0, Qt::AlignTop);
    previewColumn->addSpacing(kPagingGap - previewColumn->spacing());
    previewColumn->addLayout(pagingRow);

    // ---- The body: settings, preview, contents; under them the row of the page's place ----
    auto* body = new QGridLayout;
    body->setContentsMargins(0, 0, kColumnRightMargin, 2);
    body->setHorizontalSpacing(kPreviewLeft - SettingsColumn::kRestingWidth);
    body->setVerticalSpacing(1);
    body->addWidget(settingsColumn_, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    // The contents list stands beside the preview's column when shown.
    auto* previewAndContents = new QHBoxLayout;
    previewAndContents->setSpacing(kPagingGap);
    previewAndContents->addLayout(previewColumn, 1);
    CreateContentsList();
    previewAndContents->addWidget(contentsList);
    body->addLayout(previewAndContents, 0, 1);
    body->setColumnStretch(1, 1);
    body->setRowStretch(0, 1);
    auto* placeRow = new QHBoxLayout;
    placeRow->setSpacing(6);
    placeRow->addStretch(1);
    CreatePagePlaceControls(*placeRow);
    body->addLayout(placeRow, 1, 0, 1, 2);
    clientLayout->addWidget(banner);
    clientLayout->addLayout(body, 1);
    clientScroll_->setWidget(client_);
    // The preview's zoom follows its frame when it fits the page to the window.
    new EventHook(previewFrame_, [this](QEvent* event) {
        if (event->type() == QEvent::Resize && Book.previewZoom == kFitPreviewZoom) ShowPreviewImage();
    });
    // A window wider than the sizing rule's widens the settings column's fields too.
    // Controls that come to need more room (Create's status line under the buttons) grow the window.
    new EventHook(client_, [this](QEvent* event) {
        if (event->type() == QEvent::Resize && outerSize_.isValid())
            settingsColumn_->ShareExtraWidth(client_->width() - WantedClientSize().width());
        if (event->type() == QEvent::LayoutRequest) GrowForControls();
    });

    ShowWindowPictures(*pages);

    // Only the fields and buttons take the focus; the Tab key visits them in this order.
    for (QLabel* l : findChildren<QLabel*>()) l->setFocusPolicy(Qt::NoFocus);
    QWidget* order[] = {e_caption, e_text, e_text_encoding, e_text_button, e_model, b_font, b_back, e_upper_cut, e_bott_cut, e_sysline, e_hyphenation,
                        b_info, b_ok, b_close, b_p_up, b_p_fire, b_p_down, zoomChoice, pageInput, contentsToggle, contentsList, b_profiles};
    for (size_t i = 0; i + 1 < std::size(order); ++i) setTabOrder(order[i], order[i + 1]);

    // ---- The dialogs' fixed properties ----
    OpenDialog1.filter = tr("Книги и тексты|*.txt;*.fb2;*.zip;*.epub;*.html;*.htm;*.xhtml|"
                            "Текстовые фалы|*.txt|Все файлы|*.*");
    OpenDialog1.defaultExt = QStringLiteral("txt");
    SaveDialog1.filter = tr("Jar-пакет|*.jar|Все файлы|*.*");
    SaveDialog1.defaultExt = QStringLiteral("jar");

    // ---- Wiring ----
    // The model follows the controls before any handler reads it.
    const auto take = [this] { TakeControlValues(); };
    connect(e_caption, &QLineEdit::textChanged, this, take);
    connect(e_text, &QLineEdit::textChanged, this, take);
    for (ListField* list : {e_model, e_sysline, e_hyphenation}) connect(list, &ListField::itemIndexChanged, this, take);
    for (SpinField* cut : {e_upper_cut, e_bott_cut}) connect(cut, &QSpinBox::valueChanged, this, take);
    connect(e_caption, &QLineEdit::textChanged, this, Guarded([this] { e_captionPropertiesChange(); }));
    connect(e_text, &QLineEdit::textChanged, this, Guarded([this] { e_captionPropertiesChange(); }));
    connect(e_text_button, &QToolButton::clicked, this, Guarded([this] { cxButtonEdit1PropertiesButtonClick(); }));
    connect(e_model, &ListField::itemIndexChanged, this, Guarded([this] { e_modelPropertiesChange(); }));
    connect(e_sysline, &ListField::itemIndexChanged, this, Guarded([this] { e_modelPropertiesChange(); }));
    connect(e_hyphenation, &ListField::itemIndexChanged, this, Guarded([this] { e_hyphenationPropertiesChange(); }));
    connect(e_upper_cut, &QSpinBox::valueChanged, this, Guarded([this] { e_upper_cutPropertiesChange(); }));
    connect(e_bott_cut, &QSpinBox::valueChanged, this, Guarded([this] { e_upper_cutPropertiesChange(); }));
    connect(b_ok, &QPushButton::clicked, this, Guarded([this] { b_okClick(); }));
    connect(b_close, &QPushButton::clicked, this, Guarded([this] { b_closeClick(); }));
    connect(b_font, &QPushButton::clicked, this, Guarded([this] { b_fontClick(); }));
    connect(b_back, &QPushButton::clicked, this, Guarded([this] { b_backClick(); }));
    connect(b_profiles, &QPushButton::clicked, this, Guarded([this] { b_profilesClick(); }));
    connect(b_info, &QPushButton::clicked, this, Guarded([this] { b_infoClick(); }));
    connect(b_p_up, &QPushButton::clicked, this, Guarded([this] { b_p_upClick(); }));
    connect(b_p_down, &QPushButton::clicked, this, Guarded([this] { b_p_downClick(); }));
    connect(b_p_fire, &QPushButton::clicked, this, Guarded([this] { b_p_fireClick(); }));
    CreateConveniences();
    e_captionPropertiesChange();  // "Создать" says from the start why it is disabled

    // Once shown: open centred on the screen; when the window system's frame becomes known, apply
    // the outer size again so that it includes the frame, and centre once more with it.
    struct Placement {
        bool centred = false;
        bool framed = false;
        QMargins frame;
    };
    auto placement = std::make_shared<Placement>();
    new EventHook(this, [this, placement](QEvent* event) {
        const auto type = event->type();
        if (type == QEvent::ScreenChangeInternal && outerSize_.isValid()) FitToScreen();
        // The frame is learnt late: check at every event that follows the window system's answer.
        if (type != QEvent::Show && type != QEvent::Move && type != QEvent::Resize && type != QEvent::Paint &&
            type != QEvent::WindowActivate)
            return;
        if (!isVisible()) return;
        const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
        bool centre = !placement->centred;
        if (frame != placement->frame) {
            placement->frame = frame;
            if (outerSize_.isValid()) SetOuterSize(outerSize_.width(), outerSize_.height());
            if (!frame.isNull() && !placement->framed) {
                placement->framed = true;
                centre = true;
            }
        }
        if (centre && screen()) {
            // Placed by its client area, whose position Qt always knows; the frame surrounds it.
            const QSize outer = size().grownBy(frame);
            const QRect area = screen()->availableGeometry();
            const QPoint corner(area.x() + (area.width() - outer.width()) / 2 + frame.left(),
                                area.y() + (area.height() - outer.height()) / 2 + frame.top());
            if (corner != geometry().topLeft()) setGeometry(QRect(corner, size()));
            placement->centred = true;
        }
    });
}

} // namespace lumira
