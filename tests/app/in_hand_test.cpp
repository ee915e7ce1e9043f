// What a person does in the first minutes, at the level of the window: a screen too small for the
// window, paging from the keyboard, a dropped file, a text gone before Create, a program folder
// whose lock cannot be made. real_program_test.sh drives the same through the real program.
#include "app/main_window.h"
#include "book/naming.h"
#include "app/single_instance.h"
#include "platform/paths.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace lumira {

namespace fs = std::filesystem;

namespace {

struct InHandTest : ::testing::Test {
    ScriptedDesktop desktop;
    AppFolder app{false};
    TempDir texts;
    std::unique_ptr<MainWindow> form;

    void Start(const std::string& profiles)
    {
        app.Write("profiles.ini", profiles);
        app.Write("config.ini", "[Global]\r\nModel=0\r\n");
        form = std::make_unique<MainWindow>(app.DirText());
        form->show();
    }
    QWidget* PreviewFrame() const { return form->findChild<QWidget*>(QStringLiteral("previewFrame")); }

    // Drops `urls` onto `target` as the window system delivers a drop; true when it was taken.
    bool Drop(QWidget* target, const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        const QPointF at(5, 5);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QApplication::processEvents();
        return drop.isAccepted();
    }
};

std::string Phone(int width, int height)
{
    return "[Phone]\r\nWidth=" + std::to_string(width) + "\r\nHeight=" + std::to_string(height) + "\r\n";
}

} // namespace

TEST_F(InHandTest, AWindowTallerOrWiderThanTheScreenFitsWithThePreviewScrollingInItsFrame)
{
    Start(Phone(176, 220) + "[Huge]\r\nWidth=1600\r\nHeight=1400\r\n");
    const QSize room = form->screen()->availableGeometry().size();
    ASSERT_LT(room.height(), 1400 + 168) << "the test screen must be smaller than the huge phone";
    const QRect before = form->geometry();

    form->e_model->SetItemIndex(1);
    // The rule's size is kept; the window takes what the screen has.
    EXPECT_EQ(form->OuterSize(), QSize(2014, 1568));
    EXPECT_LE(form->width(), room.width());
    EXPECT_LE(form->height(), room.height());
    // The preview keeps its pixels; its frame shows a part of it.
    EXPECT_EQ(form->i_scr->size(), QSize(1600, 1400));
    EXPECT_EQ(form->i_scrBitmap.size(), QSize(1600, 1400));
    const QSize frame = PreviewFrame()->size();
    EXPECT_LT(frame.width(), 1600);
    EXPECT_LT(frame.height(), 1400);
    // The paging buttons and the page's row stand under the frame, inside the window.
    for (QWidget* control : {static_cast<QWidget*>(form->b_p_up), static_cast<QWidget*>(form->b_p_fire),
                             static_cast<QWidget*>(form->b_p_down), static_cast<QWidget*>(form->pageInput),
                             static_cast<QWidget*>(form->pageStatus), static_cast<QWidget*>(form->zoomChoice)}) {
        const QRect shown(control->mapTo(form.get(), QPoint(0, 0)), control->size());
        EXPECT_TRUE(form->rect().contains(shown)) << shown.x() << "," << shown.y();
    }
    EXPECT_GT(form->b_p_up->mapTo(form.get(), QPoint(0, 0)).y(), PreviewFrame()->mapTo(form.get(), QPoint(0, frame.height())).y());

    // Back on a phone the screen has room for, nothing of the fitting is left.
    form->e_model->SetItemIndex(0);
    EXPECT_GE(PreviewFrame()->width(), 176);
    EXPECT_GE(PreviewFrame()->height(), 220);
    EXPECT_EQ(form->geometry().size(), before.size());
}

TEST_F(InHandTest, OnAScreenTooSmallEveryControlAndTheWholePageStayReachableAtEveryZoom)
{
    // Phones whose window by the sizing rule is taller, or wider, than the test screen.
    const std::pair<int, int> phones[] = {{360, 640}, {700, 500}, {240, 320}};
    for (const auto& [width, height] : phones) {
        for (const int zoom : {1, 2, 3, 0}) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + " zoom " + std::to_string(zoom));
            app.Write("profiles.ini", Phone(width, height));
            app.Write("config.ini", "[Global]\r\nModel=0\r\n[Preview]\r\nZoom=" + std::to_string(zoom) + "\r\n");
            form = std::make_unique<MainWindow>(app.DirText());
            form->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
            const QRect room = form->screen()->availableGeometry();
            EXPECT_TRUE(room.contains(form->frameGeometry())) << form->frameGeometry().width() << "x" << form->frameGeometry().height();
            // Each control can be scrolled into the window, if it is not in it already.
            auto* scroll = form->findChild<QScrollArea*>(QStringLiteral("clientScroll"));
            ASSERT_NE(scroll, nullptr);
            const QWidget* controls[] = {form->e_caption, form->e_text, form->e_model, form->b_profiles, form->b_font,
                                         form->b_back, form->e_upper_cut, form->e_bott_cut, form->e_sysline,
                                         form->e_hyphenation, form->b_info, form->b_ok, form->b_close, form->b_p_up,
                                         form->b_p_fire, form->b_p_down, form->zoomChoice, form->pageInput, form->pageStatus};
            for (const QWidget* control : controls) {
                scroll->ensureWidgetVisible(const_cast<QWidget*>(control), 0, 0);
                const QRect shown(control->mapTo(form.get(), QPoint(0, 0)), control->size());
                EXPECT_TRUE(form->rect().contains(shown)) << control->objectName().toStdString() << " " << shown.x() << "," << shown.y();
            }
            // The page at its zoom scrolls in its frame as far as it reaches.
            auto* frame = static_cast<QScrollArea*>(PreviewFrame());
            EXPECT_EQ(form->i_scr->size(), QSize(width, height) * form->PreviewZoomStep());
            EXPECT_GE(frame->horizontalScrollBar()->maximum() + frame->viewport()->width(), form->i_scr->width());
            EXPECT_GE(frame->verticalScrollBar()->maximum() + frame->viewport()->height(), form->i_scr->height());
            if (zoom == 0) {
                EXPECT_EQ(form->PreviewZoomStep(), std::max(1, std::min(frame->width() / width, frame->height() / height)));
            }
        }
    }
}

TEST_F(InHandTest, PagingKeysOnThePreviewActAsThePagingButtons)
{
    Start(Phone(128, 128));
    const int firstNext = form->NextPageStart;
    ASSERT_GT(firstNext, 1);
    QTest::keyClick(PreviewFrame(), Qt::Key_PageDown);
    EXPECT_EQ(form->Book.pageStart, firstNext);
    EXPECT_TRUE(form->b_p_up->isEnabled());
    QTest::keyClick(PreviewFrame(), Qt::Key_Down);
    const int third = form->Book.pageStart;
    EXPECT_GT(third, firstNext);
    QTest::keyClick(PreviewFrame(), Qt::Key_Up);
    EXPECT_LT(form->Book.pageStart, third);
    for (int i = 0; i < 10 && form->b_p_up->isEnabled(); ++i) QTest::keyClick(PreviewFrame(), Qt::Key_PageUp);
    EXPECT_EQ(form->Book.pageStart, 1);
    // At the first page the key does what the disabled button does: nothing.
    QTest::keyClick(PreviewFrame(), Qt::Key_PageUp);
    EXPECT_EQ(form->Book.pageStart, 1);
}

TEST_F(InHandTest, ADroppedTextFileIsChosenAsThroughTheBrowseButton)
{
    Start(Phone(176, 220));
    texts.Write("Моя книга.txt", "Dropped text\r\n");
    const QString path = FromFsPath(texts / "Моя книга.txt");

    // Neither a folder nor two files are a text to choose.
    EXPECT_FALSE(Drop(form.get(), {QUrl::fromLocalFile(texts.DirText())}));
    EXPECT_FALSE(Drop(form.get(), {QUrl::fromLocalFile(path), QUrl::fromLocalFile(path)}));
    EXPECT_TRUE(form->e_text->text().isEmpty());

    // Onto a field that takes text drops of its own as well as onto the window: the file, not its
    // address as text.
    ASSERT_TRUE(Drop(form->e_upper_cut->findChild<QLineEdit*>(), {QUrl::fromLocalFile(path)}));
    EXPECT_EQ(form->e_upper_cut->value(), 0);
    EXPECT_EQ(form->e_text->text(), path);
    EXPECT_EQ(form->e_caption->text(), QStringLiteral("Моя книга"));
    EXPECT_EQ(form->SaveDialog1.fileName, form->Book.saveDir + TransliterateName(QStringLiteral("Моя книга.jar")));
    EXPECT_EQ(form->Book.openDir, texts.DirText());
    EXPECT_EQ(form->PreviewText, ReadPreviewText(texts / "Моя книга.txt", form->Book.encoding));
    EXPECT_TRUE(form->b_ok->isEnabled());
}

TEST_F(InHandTest, ATextGoneSinceItWasChosenIsReportedBeforeTheSaveDialog)
{
    Start(Phone(176, 220));
    texts.Write("book.txt", "text");
    desktop.openAnswers.push_back(FromFsPath(texts / "book.txt"));
    form->cxButtonEdit1PropertiesButtonClick();
    fs::remove(texts / "book.txt");
    desktop.saveAnswers.push_back(FromFsPath(texts / "book.jar"));
    EXPECT_THROW(form->b_okClick(), std::exception);
    EXPECT_TRUE(desktop.saveRequests.empty());
    EXPECT_FALSE(fs::exists(texts / "book.jar"));
}

TEST(SingleInstanceLock, AFolderWhereTheLockCannotBeMadeSaysSoAndNotThatAnotherCopyRuns)
{
    TempDir dir;
    dir.Write("file", "not a folder");
    // A path under a plain file: the lock fails for another reason than a live owner.
    const QString appDir = dir.DirText() + QStringLiteral("file/");
    SingleInstance instance(appDir);
    EXPECT_FALSE(instance.Acquired());
    EXPECT_NE(instance.FailureText(), SingleInstance::AlreadyRunningText());
    EXPECT_TRUE(instance.FailureText().contains(QStringLiteral("lumira.lock"))) << instance.FailureText().toStdString();
}

} // namespace lumira
