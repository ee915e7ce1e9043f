#pragma once
// The main window: it holds the whole state of the program while it runs. Its handlers are
// spread over files by subject: main_window.cpp (construction, close, destruction, sizing),
// main_window_column.cpp (the settings column's controls and layout), main_window_handlers.cpp
// (small control handlers), main_window_text.cpp (choosing the text and its encoding),
// main_window_font.cpp (font strip), main_window_preview.cpp (preview and paging),
// main_window_book.cpp (Create), main_window_profiles.cpp (phone list), main_window_input.cpp
// (tooltips, paging keys, a dropped file).
#include "app/pictures.h"
#include "book/settings_record.h"
#include "settings/app_folders.h"
#include "settings/book_model.h"
#include "settings/recent_texts.h"
#include "formats/book_format.h"
#include "platform/colors.h"
#include "platform/controls.h"
#include "platform/desktop.h"
#include "platform/book_font_style.h"
#include "platform/line_list.h"
#include "platform/text_encoding.h"
#include "profiles/profile.h"
#include "font/font_strip.h"
#include "preview/book_preview_model.h"
#include "preview/page_setup.h"
#include "book/book_contents.h"

#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <future>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QHBoxLayout;
class QListWidget;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QToolButton;

namespace lumira { class PageIndexer; }

namespace lumira {

class Hyphenator;

class CreatePanel;
class SettingsColumn;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    using PhoneProfile = lumira::PhoneProfile;

    // Builds the window and runs the whole start-up sequence. `appDir` is a portable program
    // folder (ending in a separator); empty means the executable's folder, portable or installed.
    // Failures are thrown.
    explicit MainWindow(const QString& appDir = QString(), QWidget* parent = nullptr);
    // The same with the folders already chosen (and prepared).
    explicit MainWindow(const AppFolders& folders, QWidget* parent = nullptr);
    ~MainWindow() override;

    // ---- State (start values as after construction) ----
    // The book being made: text, title, font, colours, profile, cuts, band, page, recent texts,
    // the dialogs' folders. The controls show it; their changes go into it.
    BookModel Book;
    GlyphTableBytes GlyphTable{};
    SettingsRecord BookSettingsRecord{};
    LineList PreviewText;
    QImage FontStrip;
    bool ShowSysline = false;
    std::int32_t NextPageStart = 0;
    std::int32_t LinesPerPage = 0;
    std::vector<PhoneProfile> Profiles;
    QString AppDir;
    AppFolders Folders;  // where the data, the settings and the working folder lie
    std::optional<TextEncoding> ResolvedEncoding;  // what the chosen text was read in, once read
    std::optional<BookInfo> ChosenBook;            // the chosen file's format, when it is a book

    // ---- Controls that carry state ----
    QLineEdit* e_caption = nullptr;
    QAction* titleWarning = nullptr;  // a warning sign inside e_caption while the title is too long for phones
    QLineEdit* e_text = nullptr;
    QToolButton* e_text_button = nullptr;  // the browse button of e_text
    QToolButton* e_text_encoding = nullptr;  // the encoding menu of e_text, left of its browse button
    ListField* e_model = nullptr;
    ListField* e_sysline = nullptr;
    ListField* e_hyphenation = nullptr;  // "Переносы": 0 by the dictionary, 1 by the vowel rule
    SpinField* e_upper_cut = nullptr;
    SpinField* e_bott_cut = nullptr;
    QLabel* i_scr = nullptr;
    QImage i_scrBitmap;  // the preview's drawing surface, as large as i_scr
    QPushButton* b_ok = nullptr;
    QPushButton* b_close = nullptr;
    QPushButton* b_font = nullptr;
    QPushButton* b_back = nullptr;
    QPushButton* b_profiles = nullptr;
    QPushButton* b_info = nullptr;
    QPushButton* b_p_up = nullptr;
    QPushButton* b_p_down = nullptr;
    QPushButton* b_p_fire = nullptr;
    QLabel* version = nullptr;
    // Under the preview: "Страница N из M · P %" of the whole book, and the field that goes to a
    // page ("120") or a share of the text ("45 %").
    QLabel* pageStatus = nullptr;
    QLineEdit* pageInput = nullptr;
    // Beside them the preview's zoom: 1×, 2×, 3×, "по размеру окна" (Book.previewZoom).
    ListField* zoomChoice = nullptr;
    // The book's contents beside the preview, when it has any, and the button that shows or hides it.
    QToolButton* contentsToggle = nullptr;
    QListWidget* contentsList = nullptr;
    QLabel* font_label = nullptr;
    CreatePanel* createPanel = nullptr;  // progress, Cancel and status line of Create; made by TheCreatePanel

    // ---- Dialog state ----
    FileDialogOptions OpenDialog1;
    FileDialogOptions SaveDialog1;
    BookFontStyle font_dialog;                // the font the font chooser opens on
    ColorValue ColorDialog1 = 0;         // the colour the colour chooser opened on last (the background then)
    QString zipBaseFolder;               // the working folder, without a trailing separator

    // ---- Paths beside the program ----
    QString TempDir() const;             // the working folder "temp", ending in a separator
    QString FontsFolder() const;         // its "fonts" folder, where the glyph strip's two files go

    // ---- Operations and handlers ----
    void UpdateFontLabel();
    void BuildFontStrip();
    void RenderPreview();
    // The preview's place in the whole book, whose page index is built off this thread whenever
    // the text or a setting of the layout changes.
    BookPreviewModel PreviewPages;
    // Goes to what `wanted` names: a page number, or a share of the text ending in "%"; false
    // (and nothing moves) when it names neither or no page is laid out yet.
    bool GoToPreviewPlace(const QString& wanted);
    // The page index's build has news (called on this thread).
    void TakePageIndexNews(std::uint64_t generation);
    // The build of the page index under way or done, for tests: 0 before the first.
    bool PageIndexBusy() const;
    // Moves Book.pageStart back by an estimated `n` screen lines (the previous page's start).
    void StepBackLines(int n);
    void LoadProfiles();
    // profiles.ini as it now stands, and the phone list shown from such a list.
    std::vector<PhoneProfile> ReadProfileFile() const;
    void ShowProfiles(std::vector<PhoneProfile> profiles);
    // Asks for the package's path and builds the book from `source` (the text as it was opened)
    // off the window thread; returns once the build has ended, the window living meanwhile.
    // Failures are thrown as before.
    void BuildBookPackage(const TextFile& source);
    // True while a book is being built.
    bool Creating() const { return creating_; }
    // Create's progress, Cancel and status line, made and laid out in the Create row when first
    // needed.
    CreatePanel& TheCreatePanel();
    // The chosen profile, or nullptr when none is selected.
    const PhoneProfile* SelectedProfile() const;

    void b_okClick();
    void b_closeClick();
    void b_fontClick();
    void b_backClick();
    void b_profilesClick();
    void b_infoClick();
    void b_p_upClick();
    void b_p_downClick();
    void b_p_fireClick();
    // The first page of the preview, and the whole book's last (the last laid out so far while
    // its pages are being counted).
    void FirstPage();
    void LastPage();
    // Pages the preview for a paging key (PageUp, PageDown, Home, End; Up and Down too when
    // `arrows`); false for any other key, which goes on to where it was going.
    bool PageByKey(const QKeyEvent& key, bool arrows);
    void cxButtonEdit1PropertiesButtonClick();
    // Chooses `path` as the book's text: everything the browse button does once the open dialog
    // has answered (also for a file dropped onto the window).
    void ChooseTextFile(const QString& path);
    // The texts a start opens: the file named on the command line, else the last text when it is
    // still there. A failure is shown; the window stays as it was.
    void OpenAtStart(const std::optional<QString>& given);
    // A file named from outside (command line, a second start): chosen when it is a file, else a
    // message and nothing changes.
    void OpenGivenFile(const QString& path);
    // A text of the recent list, in its encoding and with its title; a file that has gone is
    // taken off the list with a message.
    void OpenRecentText(const RecentText& entry);
    // Fills the browse button's menu from the recent list (as the menu opens).
    void FillRecentMenu();
    // A second start's request: the window comes forward and opens `path` (when not empty), once
    // no dialog of the program is open.
    void TakeHandedFile(const QString& path);
    // Another encoding chosen on the text row: remembered, and the chosen text's preview re-read.
    void e_text_encodingChoose(TextEncoding chosen);
    // Shows the chosen encoding (and, for "Авто", the one found) on the text row.
    void UpdateEncodingButton();
    // Enables b_ok while a title (not only blanks) and a text are set; its tooltip says what is
    // missing; warns beside the title when phones may refuse its length.
    void e_captionPropertiesChange();
    // The status line of the last Create goes: what it told of no longer holds.
    void ClearCreateStatus();
    void e_modelPropertiesChange();
    void e_upper_cutPropertiesChange();
    // Another way of splitting words: the preview is laid out anew from the text's start.
    void e_hyphenationPropertiesChange();
    // True while words are split by the language's dictionary.
    bool DictionaryHyphens() const;
    // The preview text as the layout reads it: every line followed by CR LF, with the soft
    // hyphens of dictionary hyphenation in.
    const std::string& PreviewLayoutText();
    // Writes config.ini; throws when it cannot be written (the close takes place all the same).
    void FormClose();
    // Puts what the controls hold (text, title, cuts, phone, band, hyphenation) into the model.
    void TakeControlValues();

    // The preview's zoom: 1..kMaxPreviewZoom, or kFitPreviewZoom for the largest whole step that
    // fits the preview's frame. Remembered in the model; the page is shown again at it.
    void SetPreviewZoom(int zoom);
    // The whole step the page is shown at now (at least 1).
    int PreviewZoomStep() const;
    // Shows i_scrBitmap in i_scr at the zoom, pixel for pixel enlarged.
    void ShowPreviewImage();
    // Gives the window the rule's size around the page at the zoom's fixed step (at 1× for
    // "по размеру окна", which fits the page to whatever room the window has), as far as the
    // screen allows; a maximised window keeps its size.
    void SizeForPreview();
    // The titles of the book's contents (cp1251) with their text positions, as listed beside the
    // preview; empty while they are being found or the book has none.
    const std::vector<ContentsEntry>& PreviewContents() const { return contents_; }
    // Shows the page that begins the title at `row` of the list.
    void ShowContentsEntry(int row);

    // The window's outer size (frame included) as last set by the sizing rule. On a screen whose
    // available area is smaller the window is smaller than that (see FitToScreen).
    QSize OuterSize() const { return outerSize_; }
    // The outer size the sizing rule gives for a preview of `preview` pixels.
    static QSize OuterSizeFor(const QSize& preview);

protected:
    void closeEvent(QCloseEvent* event) override;
    // Esc presses "Закрыть" when no control of the window took the key for itself; an open list,
    // menu or popup takes its keys and closes itself, nothing more. The paging keys that no
    // control took page the preview.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateControls();
    // The settings column with its controls, labels, access letters (main_window_column.cpp).
    SettingsColumn* CreateSettingsColumn(QWidget* parent);
    SettingsColumn* settingsColumn_ = nullptr;
    QHBoxLayout* createRow_ = nullptr;  // help, (progress, Cancel,) Create, Close
    QHBoxLayout* statusRow_ = nullptr;  // Create's status line, under that row
    void CreateEncodingButton();
    // The browse button's menu of recent texts (main_window_recent.cpp).
    void CreateRecentMenu();
    void OpenWhenNoDialog(const QString& path);
    // Tooltips, paging keys on the preview and dropping a text file onto the window.
    void CreateConveniences();
    void SetOuterSize(int width, int height);
    // The client size the rule's outer size asks for, at least what the controls need, with the
    // contents list's room when it shows.
    QSize WantedClientSize() const;
    // Sizes the window (unless maximised or full-screen) to WantedClientSize within the screen's
    // available area, and brings it back onto the screen where it would reach past an edge. Where
    // the window lacks room the preview's frame gives it up first (the page scrolls inside it),
    // then the controls scroll inside the window.
    void FitToScreen();
    QScrollArea* clientScroll_ = nullptr;  // fills the window; scrolls only when it is too small
    QWidget* client_ = nullptr;            // the controls, laid out
    QScrollArea* previewFrame_ = nullptr;  // holds i_scr; takes the room the window leaves it
    // Puts back the font and cut values of the strip in use after a rebuild was refused.
    void RestoreAppliedGlyphSettings();
    QSize outerSize_;
    QSize previewSize_{128, 204};  // the phone's screen as i_scr shows it at 1×
    // What the current FontStrip was built with (none before the first build).
    std::optional<BookFontStyle> appliedFont_;
    int appliedUpperCut_ = 0;
    int appliedBottCut_ = 0;
    bool creating_ = false;
    std::shared_ptr<Hyphenator> hyphenator_;  // the preview's, made when first needed
    // What the page index of the preview is built from: the text (its file and encoding, or the
    // sample's lines) and the layout's settings.
    struct PreviewSource {
        QString path;
        TextEncoding encoding = TextEncoding::Cp1251;
        std::string sample;  // the sample's layout text when no file is chosen
        PageChoices choices;
        bool operator==(const PreviewSource&) const = default;
    };
    PreviewSource CurrentPreviewSource();
    // Starts the page index's build when the text or the layout changed since the last one.
    void RefreshPageIndex();
    // Draws the current page of PreviewPages; false when it has none for the present settings.
    bool DrawIndexedPage();
    void UpdatePageStatus();
    // Moves the indexed preview by `step` and draws it; false when no indexed page is shown.
    bool MoveIndexedPage(bool (BookPreviewModel::*step)());
    std::unique_ptr<PageIndexer> pageIndexer_;
    std::optional<PreviewSource> indexedSource_;  // what the latest build was started from
    bool newTextDue_ = false;  // the next build's text is a new one: shown from its first page
    // The zoom, the page field and the page line, added to `row` (main_window_pages.cpp).
    void CreatePagePlaceControls(QHBoxLayout& row);
    // The contents list and its button (main_window_contents.cpp); the list is hidden until a
    // book with contents is laid out.
    void CreateContentsList();
    // Finds the contents of the index's text off this thread when its text is new.
    void RefreshContents();
    // Lists the contents found, or hides the list when there are none.
    void ShowContents(std::vector<ContentsEntry> entries);
    // Shows or hides the list; a window that is not maximised widens or narrows by its room.
    void ShowContentsList(bool shown);
    // Marks the title whose chapter holds the current page.
    void MarkCurrentChapter();
    std::vector<ContentsEntry> contents_;
    std::vector<int> contentsPages_;  // the page each title begins on, once laid out (0 before)
    std::shared_ptr<const PageSetup> contentsSource_;  // the text the contents were asked for
    std::uint64_t contentsGeneration_ = 0;
    std::future<void> contentsFinding_;
    // Brings the window back onto the screen where it reaches past an edge of its available area.
    void FitOnScreen();
    // When the controls come to need more room than the window gives them, a window that is not
    // maximised grows by what they lack, as far as the screen allows.
    void GrowForControls();
    QSize controlsNeed_;  // what they needed when last asked
    // During construction the strip and the preview are only marked as due, and made once at its end.
    bool startingUp_ = true;
    bool stripDue_ = false;
    // Makes what construction left due.
    void FinishStartUp();
    // The first glyph strip, drawn from the stored settings on a second thread while the controls
    // are built, and taken at the end of construction where the settings still stand. The same
    // thread then writes its two files.
    struct EarlyStrip {
        BookFontStyle font;
        ColorValue background = 0;
        int upperCut = 0;
        int bottCut = 0;
        FontStripImage image;
    };
    void StartEarlyStrip(const BookFontStyle& font, ColorValue background, int upperCut, int bottCut);
    // Waits for that thread; from then on this thread may change the font configuration.
    void AwaitEarlyStrip();
    // Waits for its files to be written, if they are being written, when it is not taken: a failure
    // to write them is then nobody's.
    void AwaitEarlyStripFiles();
    std::future<std::optional<EarlyStrip>> earlyStripDrawing_;
    std::future<void> earlyStripWriting_;
    std::optional<EarlyStrip> earlyStrip_;
    // On a thread of Qt's pool while the controls are built: the window's pictures, then a first
    // read of the band's picture, so that the first preview finds the image readers loaded
    // (main_window_preview.cpp); the reading may go on after the window is gone.
    void StartPictureDrawing();
    // The pictures on their controls; drawn here when there was no thread to draw them.
    void ShowWindowPictures(QLabel& stackOfPages);
    std::future<WindowPictures> windowPictures_;
    // On a third thread while the controls are built: the hyphenation dictionaries, loaded into
    // the process's store for the first preview.
    std::future<void> dictionaryLoading_;
};

// The beginning of a text file as the preview reads it: the first 2048 bytes, read in `encoding`
// (Auto detects on the file) and converted to cp1251, all of it but the last byte, its zero bytes
// left out. A cp1251 text is taken as it is. `resolved` receives the encoding read in. A book is read
// whole (a damaged one is refused) and the beginning of its laid-out text taken as a UTF-8
// text's; `book` then receives its format and title.
LineList ReadPreviewText(const TextFile& file, TextEncoding encoding = TextEncoding::Cp1251,
                         TextEncoding* resolved = nullptr, std::optional<BookInfo>* book = nullptr);

} // namespace lumira
