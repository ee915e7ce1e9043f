// Reads the help text's markup into a QTextDocument: one block per line, character formats for
// FONT, styles and links, QTextList for bulleted lists.
#include "help/html_markup.h"

#include "platform/book_font_style.h"

#include <QHash>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <vector>

namespace lumira {

namespace {

constexpr int kMaxPoints = 144;

struct Tag {
    QString name;  // upper case
    bool closing = false;
    QHash<QString, QString> attributes;  // names in lower case, values decoded
};

bool IsNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') || c == QLatin1Char(':');
}

// A character reference at `pos` (which holds '&'); on success `pos` moves past the ';'.
bool DecodeEntity(const QString& text, qsizetype& pos, QString& out)
{
    const qsizetype end = text.indexOf(QLatin1Char(';'), pos + 1);
    if (end < 0 || end - pos > 12) return false;
    const QString name = text.mid(pos + 1, end - pos - 1);
    char32_t code = 0;
    if (name.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const bool hex = name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'));
        const uint value = hex ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
        if (!ok || value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
        code = value;
    } else {
        static const QHash<QString, char32_t> kNamed = {
            {QStringLiteral("amp"), U'&'},     {QStringLiteral("lt"), U'<'},
            {QStringLiteral("gt"), U'>'},      {QStringLiteral("quot"), U'"'},
            {QStringLiteral("apos"), U'\''},   {QStringLiteral("nbsp"), U'\u00A0'},
            {QStringLiteral("copy"), U'\u00A9'}, {QStringLiteral("laquo"), U'\u00AB'},
            {QStringLiteral("raquo"), U'\u00BB'}, {QStringLiteral("mdash"), U'\u2014'},
            {QStringLiteral("ndash"), U'\u2013'},
        };
        const auto found = kNamed.constFind(name.toLower());
        if (found == kNamed.constEnd()) return false;
        code = *found;
    }
    out += QString::fromUcs4(&code, 1);
    pos = end + 1;
    return true;
}

QString DecodeEntities(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == QLatin1Char('&') && DecodeEntity(text, i, out)) continue;
        out += text[i++];
    }
    return out;
}

// A tag at `pos` (which holds '<'). On success `pos` moves past the '>'. Comments and
// declarations come back as a tag without a name.
bool ReadTag(const QString& m, qsizetype& pos, Tag& tag)
{
    const qsizetype n = m.size();
    qsizetype i = pos + 1;
    tag = Tag();
    if (i < n && m[i] == QLatin1Char('!')) {
        const bool comment = m.mid(i, 3) == QLatin1String("!--");
        const qsizetype end = comment ? m.indexOf(QLatin1String("-->"), i + 3) : m.indexOf(QLatin1Char('>'), i);
        if (end < 0) return false;
        pos = end + (comment ? 3 : 1);
        return true;
    }
    if (i < n && m[i] == QLatin1Char('/')) {
        tag.closing = true;
        ++i;
    }
    const qsizetype nameStart = i;
    while (i < n && IsNameChar(m[i])) ++i;
    if (i == nameStart || !m[nameStart].isLetter()) return false;
    tag.name = m.mid(nameStart, i - nameStart).toUpper();
    for (;;) {
        while (i < n && (m[i].isSpace() || m[i] == QLatin1Char('/'))) ++i;
        if (i >= n) return false;
        if (m[i] == QLatin1Char('>')) break;
        const qsizetype attrStart = i;
        while (i < n && !m[i].isSpace() && m[i] != QLatin1Char('=') && m[i] != QLatin1Char('>') &&
               m[i] != QLatin1Char('/'))
            ++i;
        if (i == attrStart) {  // a stray character such as a quote
            ++i;
            continue;
        }
        const QString attr = m.mid(attrStart, i - attrStart).toLower();
        while (i < n && m[i].isSpace()) ++i;
        QString value;
        if (i < n && m[i] == QLatin1Char('=')) {
            ++i;
            while (i < n && m[i].isSpace()) ++i;
            if (i < n && (m[i] == QLatin1Char('"') || m[i] == QLatin1Char('\''))) {
                const QChar quote = m[i];
                const qsizetype close = m.indexOf(quote, i + 1);
                if (close < 0) return false;
                value = m.mid(i + 1, close - i - 1);
                i = close + 1;
            } else {
                const qsizetype valueStart = i;
                while (i < n && !m[i].isSpace() && m[i] != QLatin1Char('>')) ++i;
                value = m.mid(valueStart, i - valueStart);
            }
        }
        tag.attributes.insert(attr, DecodeEntities(value));
    }
    pos = i + 1;
    return true;
}

Qt::Alignment AlignmentOf(const QString& value)
{
    const QString v = value.trimmed().toLower();
    if (v == QLatin1String("center") || v == QLatin1String("centre")) return Qt::AlignHCenter;
    if (v == QLatin1String("right")) return Qt::AlignRight;
    if (v == QLatin1String("justify")) return Qt::AlignJustify;
    return Qt::AlignLeft;
}

// Text as it is shown: line-break and other control characters are dropped, tabs are blanks.
QString ShownText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\t') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            out += QLatin1Char(' ');
        else if (c.unicode() >= 0x20 && c.unicode() != 0x7F)
            out += c;
    }
    return out;
}

class Builder {
public:
    Builder(QTextDocument& doc, const MarkupStyle& style, MarkupLayer layer)
        : cursor_(&doc), style_(style), layer_(layer)
    {
        cursor_.setBlockFormat(BlockFormat());
        cursor_.setBlockCharFormat(Shown(format_));
    }

    void Text(const QString& raw)
    {
        const QString text = ShownText(DecodeEntities(raw));
        if (text.isEmpty()) return;
        Flush();
        cursor_.insertText(text, Shown(format_));
        lineHasContent_ = true;
    }

    void Open(const Tag& tag)
    {
        const QString& t = tag.name;
        if (t == QLatin1String("BR")) {
            Flush();
            if (inItem_) cursor_.insertText(QString(QChar::LineSeparator), Shown(format_));
            else NewBlock();
        } else if (t == QLatin1String("P")) {
            EndLineSoftly();
            alignment_ = AlignmentOf(tag.attributes.value(QStringLiteral("align")));
            Flush();
            QTextBlockFormat f;
            f.setAlignment(alignment_);
            cursor_.mergeBlockFormat(f);
        } else if (t == QLatin1String("UL") || t == QLatin1String("OL")) {
            EndLineSoftly();
            lists_.push_back(nullptr);
        } else if (t == QLatin1String("LI")) {
            EndLineSoftly();
            Flush();
            if (lists_.empty()) lists_.push_back(nullptr);
            QTextList*& list = lists_.back();
            if (list) {
                list->add(cursor_.block());
            } else {
                QTextListFormat f;
                f.setStyle(QTextListFormat::ListDisc);
                f.setIndent(static_cast<int>(lists_.size()));
                list = cursor_.createList(f);
            }
            inItem_ = true;
            lineHasContent_ = true;
        } else if (t == QLatin1String("FONT")) {
            Push(t);
            const QString color = tag.attributes.value(QStringLiteral("color")).trimmed();
            if (!color.isEmpty()) {
                const QColor c = QColor::fromString(color);
                if (c.isValid()) format_.setForeground(c);
            }
            const int points = FontSizePoints(tag.attributes.value(QStringLiteral("size")));
            if (points > 0) {
                format_.clearProperty(QTextFormat::FontPointSize);
                format_.setProperty(QTextFormat::FontPixelSize, FontPixelSize(points));
            }
            const QString face = tag.attributes.value(QStringLiteral("face")).trimmed();
            if (!face.isEmpty()) format_.setFontFamilies(QStringList{face});
        } else if (t == QLatin1String("B") || t == QLatin1String("STRONG")) {
            Push(t);
            format_.setFontWeight(QFont::Bold);
        } else if (t == QLatin1String("I") || t == QLatin1String("EM")) {
            Push(t);
            format_.setFontItalic(true);
        } else if (t == QLatin1String("U")) {
            Push(t);
            format_.setFontUnderline(true);
        } else if (t == QLatin1String("S")) {
            Push(t);
            format_.setFontStrikeOut(true);
        } else if (t == QLatin1String("A")) {
            Push(t);
            const QString href = tag.attributes.value(QStringLiteral("href"));
            format_.setAnchor(true);
            format_.setAnchorHref(href);
            format_.setForeground(style_.linkColor);
            if (style_.underlineLinks) format_.setFontUnderline(true);
        } else if (t == QLatin1String("SHADOW")) {
            Push(t);
            format_.setProperty(kShadowProperty, true);
            hasShadow_ = true;
        }
    }

    void Close(const Tag& tag)
    {
        const QString& t = tag.name;
        if (t == QLatin1String("P")) {
            EndLineSoftly();
            alignment_ = Qt::AlignLeft;
        } else if (t == QLatin1String("UL") || t == QLatin1String("OL")) {
            EndLineSoftly();
            if (!lists_.empty()) lists_.pop_back();
            inItem_ = false;
        } else if (t == QLatin1String("LI")) {
            EndLineSoftly();
            inItem_ = false;
        } else {
            // Closes the innermost open tag of that name with everything opened inside it; a
            // closing tag that matches nothing open is ignored.
            for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
                if (it->name != t) continue;
                format_ = it->before;
                open_.erase(std::next(it).base(), open_.end());
                break;
            }
        }
    }

    bool HasShadow() const { return hasShadow_; }

private:
    struct OpenTag {
        QString name;
        QTextCharFormat before;
    };

    void Push(const QString& name) { open_.push_back({name, format_}); }

    QTextBlockFormat BlockFormat() const
    {
        QTextBlockFormat f;
        f.setAlignment(alignment_);
        return f;
    }

    // The format characters are drawn with on this layer.
    QTextCharFormat Shown(const QTextCharFormat& logical) const
    {
        if (layer_ == MarkupLayer::Text) return logical;
        QTextCharFormat f = logical;
        f.setForeground(logical.boolProperty(kShadowProperty) ? QColor(style_.shadowColor) : QColor(Qt::transparent));
        return f;
    }

    void NewBlock()
    {
        cursor_.insertBlock(BlockFormat(), Shown(format_));
        lineHasContent_ = false;
        inItem_ = false;
    }

    // A paragraph or list item ends: what follows starts on a new line, but only once something
    // follows, so a closing tag at the end adds no empty line.
    void EndLineSoftly()
    {
        if (lineHasContent_) pendingLine_ = true;
    }

    void Flush()
    {
        if (!pendingLine_) return;
        pendingLine_ = false;
        NewBlock();
    }

    QTextCursor cursor_;
    const MarkupStyle& style_;
    MarkupLayer layer_;
    QTextCharFormat format_;
    std::vector<OpenTag> open_;
    std::vector<QTextList*> lists_;  // innermost last; nullptr until its first item
    Qt::Alignment alignment_ = Qt::AlignLeft;
    bool lineHasContent_ = false;
    bool pendingLine_ = false;
    bool inItem_ = false;
    bool hasShadow_ = false;
};

} // namespace

int FontSizePoints(const QString& value)
{
    bool ok = false;
    const int n = value.trimmed().toInt(&ok);
    if (!ok || n <= 0) return 0;
    static constexpr int kSteps[] = {8, 10, 12, 14, 16};
    if (n <= 5) return kSteps[n - 1];
    return std::min(n, kMaxPoints);
}

bool BuildRichText(QTextDocument& doc, const QString& markup, const MarkupStyle& style, MarkupLayer layer)
{
    doc.clear();
    doc.setDefaultFont(style.baseFont);
    doc.setUndoRedoEnabled(false);
    Builder builder(doc, style, layer);
    qsizetype textStart = 0;
    qsizetype i = 0;
    while (i < markup.size()) {
        if (markup[i] != QLatin1Char('<')) {
            ++i;
            continue;
        }
        qsizetype after = i;
        Tag tag;
        if (!ReadTag(markup, after, tag)) {
            ++i;  // not a tag: the '<' is text
            continue;
        }
        builder.Text(markup.mid(textStart, i - textStart));
        if (!tag.name.isEmpty()) {
            if (tag.closing) builder.Close(tag);
            else builder.Open(tag);
        }
        i = textStart = after;
    }
    builder.Text(markup.mid(textStart));
    return builder.HasShadow();
}

} // namespace lumira
