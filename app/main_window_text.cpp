// Choosing the book's text: path, title, default package name, the encoding it is read in and
// the preview text.
#include "app/main_window.h"

#include "book/naming.h"
#include "formats/text_layout.h"
#include "platform/application.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text_kind.h"

#include <QActionGroup>
#include <QBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>
#include <string>

namespace lumira {

namespace {

// The preview reads at most this many bytes of a text and shows all of them but the last.
constexpr std::uint64_t kPreviewReadLimit = 2048;

// The gap between the encoding button and the browse button.
constexpr int kEncodingButtonGap = 1;
// The buttons' distance from the field's edges.
constexpr int kTextButtonInset = 1;
// Room between the longest text and the menu arrow, which the style draws over the text's end.
constexpr int kEncodingArrowRoom = 6;

// An encoding as the text row names it: short, as the field has little room.
QString ShortName(TextEncoding e)
{
    return e == TextEncoding::Cp1251 ? QStringLiteral("1251") : EncodingDisplayName(e);
}

// What the encoding button says: the choice, and for "Авто" what was found in the text.
QString ButtonText(TextEncoding chosen, std::optional<TextEncoding> resolved)
{
    if (chosen != TextEncoding::Auto) return ShortName(chosen);
    if (!resolved) return EncodingDisplayName(TextEncoding::Auto);
    return QStringLiteral("%1 (%2)").arg(EncodingDisplayName(TextEncoding::Auto), ShortName(*resolved));
}

// An encoding a book declares, as short as the text row's names.
QString DeclaredName(const std::string& declared)
{
    const QString name = QString::fromStdString(declared);
    if (name.compare(QStringLiteral("windows-1251"), Qt::CaseInsensitive) == 0 ||
        name.compare(QStringLiteral("cp1251"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("1251");
    return name.toUpper();
}

// For a book: its format, and the encoding it declares or, when it declares none, the text
// row's choice.
QString BookButtonText(const BookInfo& book, TextEncoding chosen)
{
    const QString encoding = !book.declaredEncoding.empty() ? DeclaredName(book.declaredEncoding)
                                                            : ButtonText(chosen, book.readAs);
    return QStringLiteral("%1, %2").arg(FormatDisplayName(book.format), encoding);
}

// The file opened for reading, or nothing when it cannot be opened now (a pipe or device is not
// waited on: it is refused later, as a text, with its own message).
std::optional<TextFile> OpenedIfOpenable(const std::filesystem::path& file)
{
    try {
        return TextFile(file);
    } catch (const AppError&) {
        return std::nullopt;
    }
}

// The title a book names for itself, or nothing when it names none.
QString BookTitle(const std::optional<BookInfo>& book)
{
    return book ? ShortBookTitle(book->title) : QString();
}

// Reads the chosen text's beginning in the chosen encoding into the preview. A text that cannot
// be read or converted leaves the preview as it was.
void ReadChosenText(MainWindow& form)
{
    form.ResolvedEncoding.reset();
    TextEncoding resolved = TextEncoding::Auto;
    try {
        form.PreviewText = ReadPreviewText(ToFsPath(form.e_text->text()), form.Book.encoding, &resolved, &form.ChosenBook);
    } catch (...) {
        if (resolved != TextEncoding::Auto) form.ResolvedEncoding = resolved;
        form.UpdateEncodingButton();
        throw;
    }
    form.ResolvedEncoding = resolved;
    form.UpdateEncodingButton();
    form.RenderPreview();
}

} // namespace

LineList ReadPreviewText(const TextFile& file, TextEncoding encoding, TextEncoding* resolved,
                         std::optional<BookInfo>* book)
{
    if (book) book->reset();
    if (const std::optional<BookFormat> format = RecogniseBook(file)) {
        HeadSink head(kPreviewReadLimit);
        const BookInfo info = ConvertBook(file, *format, head, encoding);
        if (book) *book = info;
        if (resolved) *resolved = TextEncoding::Utf8;
        const std::string buffer = ConvertBytesToCp1251(head.Head(), TextEncoding::Utf8, head.Total() > head.Head().size());
        if (buffer.size() <= 1) return {};
        return SplitTextLines(std::string_view(buffer).substr(0, buffer.size() - 1));
    }
    InFile in(file);
    const std::uint64_t size = in.Size();
    const size_t length = static_cast<size_t>(std::min(size, kPreviewReadLimit));
    std::string buffer(length, '\0');
    in.ReadExact(buffer.data(), length);
    const TextEncoding e = ResolveEncoding(file, encoding);
    if (resolved) *resolved = e;
    // A zero byte is part of a UTF-16 text: the zero characters of the converted text are left
    // out, as the book leaves them out, and the last byte dropped is the converted text's.
    if (e != TextEncoding::Cp1251) buffer = ConvertBytesToCp1251(buffer, e, size > length);
    if (buffer.size() <= 1) return {};
    return SplitTextLines(std::string_view(buffer).substr(0, buffer.size() - 1));
}

void MainWindow::CreateEncodingButton()
{
    e_text_encoding = new QToolButton(e_text);
    e_text_encoding->setObjectName(QStringLiteral("e_text_encoding"));
    e_text_encoding->setCursor(Qt::ArrowCursor);
    e_text_encoding->setFocusPolicy(Qt::TabFocus);
    e_text_encoding->setPopupMode(QToolButton::InstantPopup);
    e_text_encoding->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto* menu = new QMenu(e_text_encoding);
    auto* group = new QActionGroup(menu);
    group->setExclusive(true);
    for (TextEncoding e : AllEncodings()) {
        QAction* action = menu->addAction(EncodingDisplayName(e));
        action->setCheckable(true);
        action->setData(static_cast<int>(e));
        group->addAction(action);
        connect(action, &QAction::triggered, this, Guarded([this, e] { e_text_encodingChoose(e); }));
    }
    e_text_encoding->setMenu(menu);

    // As wide as its longest text, so that it never changes size; the path keeps the rest.
    int width = 0;
    for (TextEncoding e : AllEncodings()) {
        e_text_encoding->setText(ButtonText(TextEncoding::Auto, e));
        width = std::max(width, e_text_encoding->sizeHint().width());
    }
    for (BookFormat f : {BookFormat::Fb2Zip, BookFormat::Epub}) {
        e_text_encoding->setText(BookButtonText(BookInfo{f, "UTF-8", {}, {}}, TextEncoding::Auto));
        width = std::max(width, e_text_encoding->sizeHint().width());
    }
    width += kEncodingArrowRoom;
    e_text_encoding->setFixedWidth(width);
    // Both buttons inside the field's right end, as high as the field within its frame; the path
    // keeps the rest of the field, however wide it is.
    auto* buttons = new QHBoxLayout(e_text);
    buttons->setContentsMargins(0, kTextButtonInset, kTextButtonInset, kTextButtonInset);
    buttons->setSpacing(kEncodingButtonGap);
    buttons->addStretch(1);
    for (QToolButton* button : {e_text_encoding, e_text_button}) {
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
        buttons->addWidget(button);
    }
    e_text->setTextMargins(0, 0, width + kEncodingButtonGap + e_text_button->width() + kTextButtonInset, 0);

    // The menu from the keyboard, as a drop-down list opens.
    auto* open = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Down), e_text, nullptr, nullptr, Qt::WidgetShortcut);
    connect(open, &QShortcut::activated, e_text_encoding, &QToolButton::showMenu);
    UpdateEncodingButton();
}

void MainWindow::UpdateEncodingButton()
{
    // A book that declares its encoding is read in it: the menu cannot choose another.
    const bool declared = ChosenBook && !ChosenBook->declaredEncoding.empty();
    QString tip;
    if (ChosenBook) {
        e_text_encoding->setText(BookButtonText(*ChosenBook, Book.encoding));
        tip = tr("Книга в формате %1").arg(FormatDisplayName(ChosenBook->format));
        if (declared)
            tip += tr(", кодировку %1 задаёт сама книга").arg(QString::fromStdString(ChosenBook->declaredEncoding));
        else
            tip += tr(" без указанной кодировки: читается как %1 (Alt+↓)")
                       .arg(EncodingDisplayName(ChosenBook->readAs ? *ChosenBook->readAs : Book.encoding));
    } else {
        e_text_encoding->setText(ButtonText(Book.encoding, ResolvedEncoding));
        tip = tr("Кодировка текста: %1").arg(EncodingDisplayName(Book.encoding));
        if (Book.encoding == TextEncoding::Auto && ResolvedEncoding)
            tip += tr(", определена %1").arg(EncodingDisplayName(*ResolvedEncoding));
        tip += QStringLiteral(" (Alt+↓)");
    }
    e_text_encoding->setToolTip(tip);
    for (QAction* action : e_text_encoding->menu()->actions()) {
        action->setChecked(action->data().toInt() == static_cast<int>(Book.encoding));
        action->setEnabled(!declared);
    }
}

void MainWindow::e_text_encodingChoose(TextEncoding chosen)
{
    if (chosen == Book.encoding) return;
    Book.encoding = chosen;
    ResolvedEncoding.reset();
    UpdateEncodingButton();
    // Without a text of the user's the sample is shown, which is always cp1251.
    if (e_text->text().isEmpty()) return;
    ReadChosenText(*this);
    Book.recent.Update({e_text->text(), e_caption->text(), Book.encoding});
}

void MainWindow::cxButtonEdit1PropertiesButtonClick()
{
    OpenDialog1.initialDir = Book.openDir;
    const auto chosen = TheDesktop().OpenFile(this, OpenDialog1);
    if (!chosen) return;
    ChooseTextFile(*chosen);
}

void MainWindow::ChooseTextFile(const QString& path)
{
    // A book is read whole before anything changes: a damaged one is refused and all stays as it was.
    std::optional<BookInfo> book;
    LineList bookText;
    // (A file that cannot be opened fails later, as a text does, once its name is taken.)
    const std::optional<TextFile> opened = OpenedIfOpenable(ToFsPath(path));
    if (opened && RecogniseBook(*opened)) {
        BusyCursor busy;  // a large book takes a moment
        bookText = ReadPreviewText(*opened, Book.encoding, nullptr, &book);
    } else if (opened) {
        RefuseNonText(*opened);  // a picture, an archive, a PDF...: refused before anything changes
    }
    Book.openDir = FolderPart(path);
    e_text->setText(path);
    // A text chosen (again) is read anew and shown from its first page.
    indexedSource_.reset();
    newTextDue_ = true;
    Book.pageStart = 1;
    b_p_up->setEnabled(false);
    const QString name = FileNamePart(e_text->text());
    const QString title = BookTitle(book);
    // A book's own title names the book and, by the same rules as a file name, its package.
    SaveDialog1.fileName = Book.saveDir + TransliterateName(title.isEmpty() ? WithJarExtension(name)
                                                                       : SanitizeCaption(title) + QStringLiteral(".jar"));
    e_caption->setText(title.isEmpty() ? SanitizeCaption(WithoutExtension(name)) : title);
    if (book) {
        PreviewText = std::move(bookText);
        ChosenBook = std::move(book);
        ResolvedEncoding = TextEncoding::Utf8;
        UpdateEncodingButton();
        Book.recent.Add({path, e_caption->text(), Book.encoding});
        RenderPreview();
        return;
    }
    // A file that cannot be opened or read leaves the preview text as it was.
    ReadChosenText(*this);
    Book.recent.Add({path, e_caption->text(), Book.encoding});
}

} // namespace lumira
