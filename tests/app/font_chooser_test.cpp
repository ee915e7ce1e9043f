// The real font chooser, driven offscreen: the colour list, the face the machine lacks, cancel.
#include "platform/desktop.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QListView>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>
#include <gtest/gtest.h>

namespace {

// Runs `act` on the chooser once it is open, then confirms (or cancels) it.
std::optional<FontSpec> RunChooser(const FontSpec& initial, std::function<void(QDialog&)> act, bool confirm = true)
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
    FontSpec initial;
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
    FontSpec initial;
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
    std::vector<FontSpec> fonts;
    for (const char* name : {"Tahoma", "DejaVu Sans", "DejaVu Serif"}) {
        for (int style = 0; style < 4; ++style) {
            FontSpec spec;
            spec.name = QString::fromLatin1(name);
            spec.size = 8 + style * 3;
            spec.bold = style & 1;
            spec.italic = style & 2;
            spec.underline = style == 3;
            spec.strikeOut = style == 2;
            spec.color = 0x0000FF * style;
            fonts.push_back(spec);
        }
    }
    for (const FontSpec& spec : fonts) {
        const auto confirmed = RunChooser(spec, [&spec](QDialog& dialog) {
            // It shows the stored style wherever the face has one like it.
            const QFont shown = dialog.findChild<QFontDialog*>()->currentFont();
            bool offered = false;
            for (const QString& style : QFontDatabase::styles(shown.family())) {
                const QFont f = QFontDatabase::font(shown.family(), style, 12);
                offered |= f.bold() == spec.bold && f.italic() == spec.italic;
            }
            if (offered) {
                EXPECT_EQ(shown.bold(), spec.bold) << spec.name.toStdString() << " " << spec.size;
                EXPECT_EQ(shown.italic(), spec.italic) << spec.name.toStdString() << " " << spec.size;
            }
            EXPECT_EQ(shown.pointSize(), spec.size);
        });
        ASSERT_TRUE(confirmed);
        EXPECT_EQ(*confirmed, spec) << spec.name.toStdString() << " " << spec.size;
    }
}

TEST(WindowFontChooser, TheDefaultFaceOffersBold)
{
    RunChooser(FontSpec{}, [](QDialog& dialog) {
        auto* panel = dialog.findChild<QFontDialog*>();
        ASSERT_NE(panel, nullptr);
        const QString family = panel->currentFont().family();
        bool bold = false;
        for (const QString& style : QFontDatabase::styles(family)) bold |= QFontDatabase::weight(family, style) >= 700;
        EXPECT_TRUE(bold) << family.toStdString();
    });
}

TEST(WindowFontChooser, EnterAndEscInTheFontPartAnswerTheWholeChooser)
{
    for (const bool enter : {true, false}) {
        bool panelStayed = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto* panel = dialog->findChild<QFontDialog*>();
            // The style list: Enter there is the font panel's own "confirm".
            const QStringList installed = QFontDatabase::styles(panel->currentFont().family());
            QListView* styles = nullptr;
            for (QListView* list : panel->findChildren<QListView*>())
                if (list->model() && list->model()->rowCount() == installed.size() &&
                    list->model()->index(0, 0).data().toString() == installed.value(0))
                    styles = list;
            ASSERT_NE(styles, nullptr);
            QTest::keyClick(styles, enter ? Qt::Key_Return : Qt::Key_Escape);
            panelStayed = !panel->isHidden();
            // Whatever the keys left open is cancelled, so that the test ends either way.
            if (dialog->isVisible()) dialog->reject();
        });
        FontSpec initial;
        initial.bold = true;
        const auto answer = TheDesktop().ChooseFont(nullptr, initial);
        EXPECT_EQ(answer.has_value(), enter);
        if (answer) {
            EXPECT_EQ(*answer, initial);
        }
        EXPECT_TRUE(panelStayed);
    }
}
