// The markup label: how markup is read, how the label sizes itself and where link presses go.
#include "font/book_qfont.h"
#include "help/html_label.h"
#include "help/html_markup.h"
#include "help/update_check.h"
#include "platform/book_font_style.h"
#include "support/scripted_desktop.h"
#include "support/link_point.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <gtest/gtest.h>

namespace lumira {

namespace {

struct Read {
    QTextDocument doc;
    explicit Read(const QString& markup, MarkupLayer layer = MarkupLayer::Text)
    {
        MarkupStyle style;
        style.baseFont = MakeQFont(BookFontStyle{});
        BuildRichText(doc, markup, style, layer);
    }
    QTextBlock Block(int n) const { return doc.findBlockByNumber(n); }
    // The format of the first character of `text`.
    QTextCharFormat FormatOf(const QString& text) const
    {
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it)
                if (it.fragment().text().contains(text)) return it.fragment().charFormat();
        ADD_FAILURE() << "no fragment with " << text.toStdString();
        return {};
    }
};

void Press(QWidget& widget, QPointF at, Qt::MouseButton button = Qt::LeftButton)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), button, button, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}

} // namespace

TEST(MarkupFontSize, SmallNumbersAreStepsLargerOnesArePoints)
{
    EXPECT_EQ(FontSizePoints("1"), 8);
    EXPECT_EQ(FontSizePoints("2"), 10);
    EXPECT_EQ(FontSizePoints("3"), 12);
    EXPECT_EQ(FontSizePoints("4"), 14);
    EXPECT_EQ(FontSizePoints("5"), 16);
    EXPECT_EQ(FontSizePoints("6"), 6);
    EXPECT_EQ(FontSizePoints(" 12 "), 12);
    EXPECT_EQ(FontSizePoints("0"), 0);
    EXPECT_EQ(FontSizePoints("-2"), 0);
    EXPECT_EQ(FontSizePoints("+1x"), 0);
    EXPECT_EQ(FontSizePoints(""), 0);
    EXPECT_EQ(FontSizePoints("100000"), 144);  // kept drawable
}

TEST(MarkupReading, ParagraphsAndBreaksMakeTheLines)
{
    Read r("<P align=\"center\">Title</P><BR><P align=\"left\">one<BR>two</P><P align=right>three</P>");
    EXPECT_EQ(r.doc.toPlainText(), "Title\n\none\ntwo\nthree");
    EXPECT_EQ(r.Block(0).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(r.Block(2).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(r.Block(3).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(r.Block(4).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    // A closing tag at the end adds no empty line.
    EXPECT_EQ(r.doc.blockCount(), 5);
}

TEST(MarkupReading, FontStyleAndLinks)
{
    Read r("<FONT color=\"#0000FF\" size=\"2\" face=\"Tahoma\">small<FONT size=\"12\" color=red>big</FONT>"
           "back</FONT><B><A href=\"get_updates\">link</A> bold</B> plain");
    const QTextCharFormat small = r.FormatOf("small");
    EXPECT_EQ(small.foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(small.intProperty(QTextFormat::FontPixelSize), FontPixelSize(10));
    EXPECT_EQ(small.fontFamilies().toStringList(), QStringList{"Tahoma"});
    const QTextCharFormat big = r.FormatOf("big");
    EXPECT_EQ(big.intProperty(QTextFormat::FontPixelSize), FontPixelSize(12));
    EXPECT_EQ(big.foreground().color(), QColor(Qt::red));
    // Closing the inner FONT restores the outer one.
    EXPECT_EQ(r.FormatOf("back").intProperty(QTextFormat::FontPixelSize), FontPixelSize(10));
    EXPECT_EQ(r.FormatOf("back").foreground().color(), QColor(0, 0, 255));

    const QTextCharFormat link = r.FormatOf("link");
    EXPECT_TRUE(link.isAnchor());
    EXPECT_EQ(link.anchorHref(), "get_updates");
    EXPECT_EQ(link.fontWeight(), QFont::Bold);
    EXPECT_EQ(link.foreground().color(), QColor(0, 0, 255));
    EXPECT_FALSE(r.FormatOf(" bold").isAnchor());
    EXPECT_EQ(r.FormatOf(" bold").fontWeight(), QFont::Bold);
    EXPECT_NE(r.FormatOf(" plain").fontWeight(), QFont::Bold);
    EXPECT_FALSE(r.FormatOf(" plain").hasProperty(QTextFormat::FontPixelSize));
}

TEST(MarkupReading, BulletedListsHoldTheirItemsOnly)
{
    Read r("<P align=\"center\">Heading</P><P align=\"left\"><UL><LI>first</LI><LI>second</LI></UL></P>"
           "<P align=\"center\">Next</P><UL><LI>third</LI></UL>");
    EXPECT_EQ(r.doc.toPlainText(), "Heading\nfirst\nsecond\nNext\nthird");
    EXPECT_EQ(r.Block(0).textList(), nullptr);
    QTextList* list = r.Block(1).textList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(r.Block(2).textList(), list);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(r.Block(3).textList(), nullptr);
    EXPECT_EQ(r.Block(3).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    ASSERT_NE(r.Block(4).textList(), nullptr);
    EXPECT_NE(r.Block(4).textList(), list);
}

TEST(MarkupReading, ToleratesStrayTagsEntitiesAndLooseText)
{
    // The no-update line closes a link it never opened.
    Read none(NoUpdateText());
    EXPECT_EQ(none.doc.toPlainText(), "Обновлений не обнаружено");
    EXPECT_EQ(none.FormatOf("Обновлений").intProperty(QTextFormat::FontPixelSize), FontPixelSize(12));
    EXPECT_FALSE(none.FormatOf("Обновлений").isAnchor());

    Read entities("&lt;B&gt;x&lt;/B&gt; &amp;amp; &quot;q&quot; &#39;s&#39; &#x41;&#66; &bogus; a < b <unknown>c</unknown>");
    EXPECT_EQ(entities.doc.toPlainText(), "<B>x</B> &amp; \"q\" 's' AB &bogus; a < b c");
    EXPECT_NE(entities.FormatOf("x").fontWeight(), QFont::Bold);

    // Misnested tags: closing B also ends the FONT opened inside it.
    Read nested("<B><FONT size=5>x</B>y</FONT>");
    EXPECT_FALSE(nested.FormatOf("y").hasProperty(QTextFormat::FontPixelSize));
    EXPECT_NE(nested.FormatOf("y").fontWeight(), QFont::Bold);

    // Line-break characters in the markup itself are not shown and split nothing.
    Read breaks("one\r\ntwo\nthree\rfour");
    EXPECT_EQ(breaks.doc.toPlainText(), "onetwothreefour");
    EXPECT_EQ(breaks.doc.blockCount(), 1);
}

TEST(MarkupReading, ShadowLayerShowsOnlyShadowedText)
{
    const QString markup = "<FONT color=#0000FF><SHADOW>Title</SHADOW></FONT> rest";
    Read text(markup);
    EXPECT_TRUE(text.FormatOf("Title").boolProperty(kShadowProperty));
    EXPECT_EQ(text.FormatOf("Title").foreground().color(), QColor(0, 0, 255));
    Read shadow(markup, MarkupLayer::Shadow);
    EXPECT_EQ(shadow.FormatOf("Title").foreground().color(), QColor(128, 128, 128));
    EXPECT_EQ(shadow.FormatOf(" rest").foreground().color().alpha(), 0);
}

TEST(HtmlLabelText, IsKeptAsLinesAndJoinedWithoutSeparators)
{
    HtmlLabel label;
    label.SetText("<B>bo\r\nld</B>\nnext\r\rlast\r\n");
    EXPECT_EQ(label.Lines(), (QStringList{"<B>bo", "ld</B>", "next", "", "last"}));
    EXPECT_EQ(label.Markup(), "<B>bold</B>nextlast");
    EXPECT_EQ(label.ShownText(), "boldnextlast");
}

TEST(HtmlLabelText, HeightFollowsTextAndWidth)
{
    HtmlLabel label;
    label.resize(200, 10);
    label.show();
    label.SetText("short");
    const int oneLine = label.height();
    EXPECT_GT(oneLine, 0);
    EXPECT_EQ(label.heightForWidth(200), oneLine);

    label.SetText("one<BR>two<BR>three");
    const int threeLines = label.height();
    EXPECT_GT(threeLines, 2 * oneLine);

    const QString longText = QString("word ").repeated(60);
    label.SetText(longText);
    const int narrow = label.height();
    label.resize(400, 10);
    EXPECT_LT(label.height(), narrow);  // a wider label wraps into fewer lines
    EXPECT_EQ(label.width(), 400);
    EXPECT_EQ(label.height(), label.heightForWidth(400));
}

TEST(HtmlLabelLinks, DesktopOpensAddressesOtherTargetsAreReported)
{
    ScriptedDesktop desktop;
    HtmlLabel label;
    label.resize(400, 10);
    label.SetText("<A href=\"mailto:me@example.org\">mail</A><BR><A href=\"http://example.org/x\">web</A><BR>"
                  "<A href=\"get_updates\">check</A><BR><A href=\"MAILTO-less\">other</A><BR>plain");
    QSignalSpy reported(&label, &HtmlLabel::AnchorClick);

    for (const char* target : {"mailto:me@example.org", "http://example.org/x", "get_updates", "MAILTO-less"}) {
        const QPointF at = LinkPoint(label, target);
        ASSERT_GE(at.x(), 0) << target;
        EXPECT_EQ(label.AnchorAt(at), target);
        Press(label, at);
    }
    EXPECT_EQ(desktop.openedUrls, (QStringList{"mailto:me@example.org", "http://example.org/x"}));
    ASSERT_EQ(reported.count(), 2);
    EXPECT_EQ(reported[0][0].toString(), "get_updates");
    EXPECT_EQ(reported[1][0].toString(), "MAILTO-less");

    // Neither plain text nor another button follows a link.
    const QPointF link = LinkPoint(label, "get_updates");
    Press(label, link, Qt::RightButton);
    Press(label, QPointF(link.x(), label.height() - 2));
    Press(label, QPointF(label.width() - 2, link.y()));
    EXPECT_EQ(reported.count(), 2);
    EXPECT_EQ(desktop.openedUrls.size(), 2);
}

TEST(HtmlLabelDrawing, ShadowIsDrawnOffsetBeneathTheText)
{
    auto greyPixels = [](const QString& markup) {
        HtmlLabel label;
        label.resize(300, 10);
        label.SetText(markup);
        QImage image(label.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        label.render(&image);
        int grey = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() == c.green() && c.green() == c.blue() && c.red() < 200) ++grey;
            }
        return grey;
    };
    const QString title = "<FONT color=\"#0000FF\" size=\"16\"><B>%1Lumira%2</B></FONT>";
    EXPECT_EQ(greyPixels(title.arg("", "")), 0);
    EXPECT_GT(greyPixels(title.arg("<SHADOW>", "</SHADOW>")), 20);
}

} // namespace lumira
