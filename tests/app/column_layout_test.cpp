// The settings column as its layouts place it: in Russian and in English (whose captions are
// longer), for a small, a middle and a tall phone, at the window's opening size, widened and at
// its least size, with Create's progress and its status lines shown, no control of the column
// overlaps another, reaches out of the column or is smaller than it needs to show itself; the
// window grows for a status line that needs the room.
#include "app/create_panel.h"
#include "app/main_window.h"
#include "platform/language.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QSpinBox>
#include <QStyle>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <gtest/gtest.h>

namespace lumira {

namespace {

QString NameOf(const QWidget* w)
{
    if (!w->objectName().isEmpty()) return w->objectName();
    if (const auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    return QString::fromLatin1(w->metaObject()->className());
}

// The room a control needs to show what it shows: a label its text (a wrapping one its lines at its
// width); a button its caption or picture within its frame; a list its longest entry beside its
// arrow; a cut field its largest value beside its arrows; every field the style's least height.
QSize Needed(const QWidget& w)
{
    const QFontMetrics metrics(w.font());
    if (const auto* label = qobject_cast<const QLabel*>(&w))
        return label->wordWrap() ? QSize(0, label->heightForWidth(w.width())) : label->sizeHint();
    if (const auto* button = qobject_cast<const QAbstractButton*>(&w)) {
        const int frame = 2 * w.style()->pixelMetric(QStyle::PM_ButtonMargin) / 3 + 4;
        const int content = button->icon().isNull() ? metrics.horizontalAdvance(QString(button->text()).remove(QLatin1Char('&')))
                                                    : button->iconSize().width();
        const int height = button->icon().isNull() ? metrics.height() : button->iconSize().height();
        return QSize(content + frame, height + 4);
    }
    int content = 0;
    if (const auto* list = qobject_cast<const QComboBox*>(&w)) {
        for (int i = 0; i < list->count(); ++i) content = std::max(content, metrics.horizontalAdvance(list->itemText(i)));
        content += 20;  // the arrow
    } else if (qobject_cast<const QSpinBox*>(&w)) {
        content = metrics.horizontalAdvance(QStringLiteral("10")) + 20;  // the cuts' largest, the arrows
    }
    return QSize(content, w.minimumSizeHint().height());
}

// What is wrong with the column as laid out now, one line a fault; empty when nothing is.
std::string LayoutFaults(MainWindow& form)
{
    QStringList faults;
    auto* column = form.findChild<QWidget*>(QStringLiteral("settingsColumn"));
    auto* client = form.findChild<QWidget*>(QStringLiteral("client"));
    auto* preview = form.findChild<QWidget*>(QStringLiteral("previewFrame"));
    const QRect columnRect(column->mapTo(client, QPoint(0, 0)), column->size());
    if (!client->rect().contains(columnRect)) faults << QStringLiteral("the column reaches out of the window");
    if (columnRect.right() >= preview->mapTo(client, QPoint(0, 0)).x()) faults << QStringLiteral("the column reaches the preview");
    // The column's controls, and the buttons inside the text field.
    QList<QWidget*> controls;
    for (QWidget* w : column->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisibleTo(column)) controls << w;
    for (QToolButton* b : form.e_text->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) controls << b;
    for (QWidget* w : controls) {
        const QRect r(w->mapTo(column, QPoint(0, 0)), w->size());
        if (!column->rect().contains(r)) faults << QStringLiteral("%1 reaches out of the column").arg(NameOf(w));
        const QSize needed = Needed(*w);
        if (needed.width() > w->width() || needed.height() > w->height())
            faults << QStringLiteral("%1 needs %2x%3, has %4x%5")
                          .arg(NameOf(w))
                          .arg(needed.width())
                          .arg(needed.height())
                          .arg(w->width())
                          .arg(w->height());
        for (QWidget* other : controls) {
            if (other <= w || w->isAncestorOf(other) || other->isAncestorOf(w)) continue;
            if (r.intersects(QRect(other->mapTo(column, QPoint(0, 0)), other->size())))
                faults << QStringLiteral("%1 overlaps %2").arg(NameOf(w), NameOf(other));
        }
    }
    return faults.join(QStringLiteral("; ")).toStdString();
}

void Settle()
{
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

struct ColumnLayoutTest : ::testing::Test {
    ScriptedDesktop desktop;
    void TearDown() override { ApplyLanguage(Language::Russian); }
};

} // namespace

TEST_F(ColumnLayoutTest, NoControlOverlapsAnotherOrIsCutOffInAnyLanguageOrWindowSize)
{
    const char* phones[] = {"Width=128\r\nHeight=160\r\n", "Width=240\r\nHeight=320\r\n", "Width=360\r\nHeight=640\r\n"};
    for (Language language : {Language::Russian, Language::English}) {
        ApplyLanguage(language);
        for (const char* phone : phones) {
            AppFolder app(false);
            app.Write("profiles.ini", std::string("[Phone]\r\n") + phone);
            app.Write("config.ini", "[Global]\r\nModel=0\r\n");
            MainWindow form(app.DirText());
            form.show();
            Settle();
            const std::string where = (language == Language::English ? "English, " : "Russian, ") + std::string(phone).substr(0, std::string(phone).find('\r')) + ", ";
            EXPECT_EQ(LayoutFaults(form), "") << where << "as opened";

            // Wider: the fields widen with the window.
            const QSize opened = form.size();
            const int previewLeft = form.i_scr->mapTo(&form, QPoint(0, 0)).x();
            const int openedField = form.e_caption->width();
            form.resize(opened + QSize(400, 0));
            Settle();
            EXPECT_EQ(LayoutFaults(form), "") << where << "widened";
            EXPECT_GT(form.e_caption->width(), openedField) << where;
            EXPECT_EQ(form.e_text->width(), form.e_caption->width()) << where;

            // As small as the window goes: the controls keep their room and scroll.
            form.resize(120, 120);
            Settle();
            EXPECT_EQ(LayoutFaults(form), "") << where << "at its least size";

            // Create's progress and Cancel, then its status lines: a saved book with a long name,
            // and a long message.
            form.resize(opened);
            CreatePanel& panel = form.TheCreatePanel();
            panel.Start();
            Settle();
            EXPECT_EQ(LayoutFaults(form), "") << where << "while creating";
            panel.Finish();
            panel.ShowSaved(app.DirText() + QStringLiteral("A book with a very long name indeed, longer than the line.jar"),
                            QStringLiteral("Too large for some phones"));
            Settle();
            EXPECT_EQ(LayoutFaults(form), "") << where << "with the saved book's line";
            // The line takes no room from the preview: it keeps its place beside the column.
            EXPECT_EQ(form.i_scr->mapTo(&form, QPoint(0, 0)).x(), previewLeft) << where << "with the saved book's line";
            panel.ShowStatus(QStringLiteral("Cannot create file ") + app.DirText() +
                             QStringLiteral("a folder of a long name/another one/and the book's own name.jar"));
            Settle();
            EXPECT_EQ(LayoutFaults(form), "") << where << "with a long message";
            // The window grew for the lines: nothing of the column scrolls out of sight.
            EXPECT_EQ(form.findChild<QScrollArea*>(QStringLiteral("clientScroll"))->verticalScrollBar()->maximum(), 0) << where;
        }
    }
}

} // namespace lumira
