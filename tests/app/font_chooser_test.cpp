// The real font chooser, driven offscreen: the colour list, the face the machine lacks, cancel.
#include "platform/desktop.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QTimer>
#include <functional>
#include <vector>
#include <gtest/gtest.h>

namespace lumira {

namespace {

// Runs `act` on the chooser once it is open, then confirms (or cancels) it.
std::optional<BookFontStyle> RunChooser(const BookFontStyle& initial, std::function<void(QDialog&)> act, bool confirm = true)
{
    QTimer::singleShot(0, [act, confirm] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
        if (confirm) dialog->accept();
        else dialog->reject();
    });
    return TheDesktop().ChooseFont(nullptr, initial);
}

QComboBox* ColourList(QDialog& dialog)
{
    for (auto* box : dialog.findChildren<QComboBox*>())
        if (box->findText(QStringLiteral("Чёрный")) >= 0) return box;
    return nullptr;
}

} // namespace

TEST(WindowFontChooser, OffersTheColourAndKeepsTheNameOfAMissingFace)
{
    BookFontStyle initial;
    initial.name = QStringLiteral("No Such Face Anywhere");
    initial.size = 9;
    initial.color = 0x0000FF;
    initial.underline = true;

    const auto unchanged = RunChooser(initial, [](QDialog&) {});
    ASSERT_TRUE(unchanged);
    EXPECT_EQ(*unchanged, initial);

    const auto recoloured = RunChooser(initial, [](QDialog& dialog) {
        QComboBox* colours = ColourList(dialog);
        ASSERT_NE(colours, nullptr);
        EXPECT_EQ(colours->currentText(), QStringLiteral("Красный"));
        const int blue = colours->findText(QStringLiteral("Синий"));
        colours->setCurrentIndex(blue);
        emit colours->activated(blue);
        auto* panel = dialog.findChild<QFontDialog*>();
        ASSERT_NE(panel, nullptr);
        QFont font = panel->currentFont();
        font.setStrikeOut(true);
        panel->setCurrentFont(font);
    });
    ASSERT_TRUE(recoloured);
    EXPECT_EQ(recoloured->color, 0xFF0000);
    EXPECT_TRUE(recoloured->strikeOut);
    EXPECT_TRUE(recoloured->underline);
    EXPECT_EQ(recoloured->name, initial.name);

    EXPECT_FALSE(RunChooser(initial, [](QDialog&) {}, false));
}

TEST(WindowFontChooser, AColourOutsideTheListIsShownAndKept)
{
    BookFontStyle initial;
    initial.color = 0x123456;
    const auto chosen = RunChooser(initial, [](QDialog& dialog) {
        QComboBox* colours = ColourList(dialog);
        ASSERT_NE(colours, nullptr);
        EXPECT_EQ(colours->currentData().toInt(), 0x123456);
    });
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->color, 0x123456);
}

TEST(WindowFontChooser, OpensOnExactlyTheConfirmedFontSoThatOkChangesNothing)
{
    // The default face (missing here, standing in by another), installed faces, every style the
    // stored font can carry, and the effects.
    std::vector<BookFontStyle> fonts;
    for (const char* name : {"Tahoma", "DejaVu Sans", "DejaVu Serif"}) {
        for (int style = 0; style < 4; ++style) {
            BookFontStyle fontStyle;
            fontStyle.name = QString::fromLatin1(name);
            fontStyle.size = 8 + style * 3;
            fontStyle.bold = style & 1;
            fontStyle.italic = style & 2;
            fontStyle.underline = style == 3;
            fontStyle.strikeOut = style == 2;
            fontStyle.color = 0x0000FF * style;
            fonts.push_back(fontStyle);
        }
    }
    for (const BookFontStyle& fontStyle : fonts) {
        const auto confirmed = RunChooser(fontStyle, [&fontStyle](QDialog& dialog) {
            // It shows the stored style wherever the face has one like it.
            const QFont shown = dialog.findChild<QFontDialog*>()->currentFont();
            bool offered = false;
            bool boldOffered = false;
            for (const QString& style : QFontDatabase::styles(shown.family())) {
                const QFont f = QFontDatabase::font(shown.family(), style, 12);
                offered |= f.bold() == fontStyle.bold && f.italic() == fontStyle.italic;
                boldOffered |= f.bold();
            }
            // Every face here has a bold, the default one too, whatever it falls back to.
            EXPECT_TRUE(boldOffered) << shown.family().toStdString();
            if (offered) {
                EXPECT_EQ(shown.bold(), fontStyle.bold) << fontStyle.name.toStdString() << " " << fontStyle.size;
                EXPECT_EQ(shown.italic(), fontStyle.italic) << fontStyle.name.toStdString() << " " << fontStyle.size;
            }
            EXPECT_EQ(shown.pointSize(), fontStyle.size);
        });
        ASSERT_TRUE(confirmed);
        EXPECT_EQ(*confirmed, fontStyle) << fontStyle.name.toStdString() << " " << fontStyle.size;
    }
}

} // namespace lumira
