#pragma once
// The markup of the help text, read into a Qt rich-text document.
//
// The markup is line-oriented HTML: P (align=left|center|right|justify) and BR make the lines,
// FONT sets color, size and face, B/STRONG, I/EM, U and S set the style, A href makes a link,
// UL/LI make bulleted lists and SHADOW draws its text with a shadow. A FONT size of 1 to 5 stands
// for 8, 10, 12, 14 and 16 points; a larger number is a size in points. Entities (&amp; &lt; &gt;
// &quot; &apos; &nbsp; &#N; &#xN;) are decoded. Unknown tags, and closing tags without a matching
// open tag, are ignored; line-break characters in the text are not shown.
#include <QColor>
#include <QFont>
#include <QString>
#include <QTextFormat>

class QTextDocument;

namespace lumira {

struct MarkupStyle {
    QFont baseFont;                          // the text outside any FONT tag
    QColor linkColor = QColor(0, 0, 255);
    bool underlineLinks = true;
    QColor shadowColor = QColor(128, 128, 128);
};

// What a document is built for: the text itself, or the shadow layer drawn beneath it, in which
// only shadowed text is visible, in the shadow colour.
enum class MarkupLayer { Text, Shadow };

// Character property that marks shadowed text.
inline constexpr int kShadowProperty = QTextFormat::UserProperty + 1;

// Point size of a FONT size attribute; 0 when the value is not a usable size.
int FontSizePoints(const QString& value);

// Replaces the document's content by the markup. Returns true when some text is shadowed.
bool BuildRichText(QTextDocument& doc, const QString& markup, const MarkupStyle& style,
                   MarkupLayer layer = MarkupLayer::Text);

} // namespace lumira
