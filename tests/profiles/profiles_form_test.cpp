// The profile editor driven offscreen: what it lists and shows, what "Сохранить" and "Удалить"
// leave in profiles.ini, and what the main window's phone list holds after the editor closes.
#include "app/main_window.h"
#include "platform/errors.h"
#include "platform/ini_file.h"
#include "profiles/profile.h"
#include "profiles/profile_editor.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

namespace lumira {

namespace fs = std::filesystem;

namespace {

const char* const kThree =
    "[Nokia 6300]\r\nWidth=240\r\nHeight=320\r\nLSoft=-6\r\nRSoft=-7\r\nMenu=-5\r\n"
    "OnUp=1\r\nOnDown=4\r\nOnLeft=3\r\nOnRight=0\r\n"
    "[Siemens C65]\r\nWidth=132\r\nHeight=176\r\nLSoft=-1\r\nRSoft=-4\r\nMenu=-26\r\n"
    "OnUp=2\r\nOnDown=5\r\nOnLeft=9\r\nOnRight=-1\r\n"
    "[Motorola]\r\nsetFullScreen=0\r\nWidth=176\r\nHeight=220\r\n";

struct EditorTest : ::testing::Test {
    ScriptedDesktop desktop;
    TempDir dir;
    std::unique_ptr<ProfileEditor> Open() { return std::make_unique<ProfileEditor>(dir.DirText()); }
    std::string File() const { return dir.Read("profiles.ini"); }
    std::vector<std::string> Sections() const { return IniFile(dir / "profiles.ini").ReadSections(); }
};

QStringList Captions(const ProfileEditor& form)
{
    QStringList captions;
    for (int row = 0; row < form.prof_list->rowCount(); ++row) captions << form.prof_list->item(row, 0)->text();
    return captions;
}

int SelectedRow(const ProfileEditor& form)
{
    const auto selected = form.prof_list->selectedItems();
    return selected.size() == 1 ? selected.first()->row() : -1;
}

std::vector<int> Fields(const ProfileEditor& f)
{
    return {f.e_width->value(), f.e_height->value(), f.e_lsoft->value(),   f.e_rsoft->value(), f.e_menu->value(),
            f.e_up->ItemIndex(), f.e_down->ItemIndex(), f.e_left->ItemIndex(), f.e_right->ItemIndex()};
}

} // namespace

TEST_F(EditorTest, ListsTheFileInOrderAndShowsEachSelectedProfile)
{
    dir.Write("profiles.ini", kThree);
    auto form = Open();
    EXPECT_EQ(Captions(*form), (QStringList{"Nokia 6300", "Siemens C65", "Motorola"}));
    EXPECT_EQ(SelectedRow(*form), 0);
    EXPECT_TRUE(form->b_del->isEnabled());
    EXPECT_EQ(form->e_name->text(), QStringLiteral("Nokia 6300"));
    EXPECT_EQ(Fields(*form), (std::vector<int>{240, 320, -6, -7, -5, 1, 4, 3, 0}));
    EXPECT_EQ(form->prof_list->item(0, 0)->icon().actualSize(QSize(16, 16)), QSize(16, 16));

    // Another entry: the old one is reported unselected, the new one selected, so "Удалить" stays
    // usable. OnLeft = 9 is no position of the list: it keeps the previous profile's choice (3);
    // OnRight = -1 clears the choice.
    form->show();
    const auto clickRow = [&form](int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QRect rect = form->prof_list->visualItemRect(form->prof_list->item(row, 0));
        QTest::mouseClick(form->prof_list->viewport(), Qt::LeftButton, modifiers, rect.center());
    };
    clickRow(1);
    EXPECT_EQ(SelectedRow(*form), 1);
    EXPECT_TRUE(form->b_del->isEnabled());
    EXPECT_EQ(form->e_name->text(), QStringLiteral("Siemens C65"));
    EXPECT_EQ(Fields(*form), (std::vector<int>{132, 176, -1, -4, -26, 2, 5, 3, -1}));

    // A section without keys shows the defaults for every key it lacks.
    clickRow(2);
    EXPECT_EQ(Fields(*form), (std::vector<int>{176, 220, 0, 0, 0, 2, 5, 0, 3}));

    // Taking the selection away disables "Удалить"; the fields keep what they show.
    clickRow(2, Qt::ControlModifier);
    EXPECT_EQ(SelectedRow(*form), -1);
    EXPECT_FALSE(form->b_del->isEnabled());
    EXPECT_EQ(form->e_name->text(), QStringLiteral("Motorola"));
    const std::string before = File();
    form->b_delClick();
    EXPECT_EQ(File(), before);
}

TEST_F(EditorTest, SavingANewNameAppendsItsSectionAndShowsTheFirstProfileAgain)
{
    dir.Write("profiles.ini", kThree);
    auto form = Open();
    form->prof_list->selectRow(1);  // its OnLeft of 9 left the list at the first profile's 3
    form->e_name->setText(QStringLiteral("Samsung E250"));
    form->e_width->setValue(-1);
    form->e_lsoft->setValue(2147483647);
    form->e_menu->setValue(-2147483647 - 1);
    form->e_right->SetItemIndex(5);
    form->b_editClick();

    EXPECT_EQ(File(), std::string(kThree) +
                          "\r\n[Samsung E250]\r\nWidth=-1\r\nHeight=176\r\nLSoft=2147483647\r\nRSoft=-4\r\n"
                          "Menu=-2147483648\r\nOnUp=2\r\nOnDown=5\r\nOnLeft=3\r\nOnRight=5\r\n");
    EXPECT_EQ(Captions(*form).back(), QStringLiteral("Samsung E250"));
    EXPECT_EQ(SelectedRow(*form), 0);
    EXPECT_EQ(form->e_name->text(), QStringLiteral("Nokia 6300"));

    // The extreme values come back unchanged when the profile is shown.
    form->prof_list->selectRow(3);
    EXPECT_EQ(form->e_lsoft->value(), 2147483647);
    EXPECT_EQ(form->e_menu->value(), -2147483647 - 1);
}

TEST_F(EditorTest, EmptyFileAndNoActionChosenSaveMinusOneAndTheInitialValues)
{
    dir.Write("profiles.ini", "");
    auto form = Open();
    EXPECT_EQ(form->prof_list->rowCount(), 0);
    EXPECT_FALSE(form->b_del->isEnabled());
    form->e_name->setText(QStringLiteral("Телефон"));
    form->b_editClick();
    EXPECT_EQ(File(), "[\xD2\xE5\xEB\xE5\xF4\xEE\xED]\r\nWidth=176\r\nHeight=204\r\nLSoft=0\r\nRSoft=0\r\nMenu=0\r\n"
                      "OnUp=-1\r\nOnDown=-1\r\nOnLeft=-1\r\nOnRight=-1\r\n");
    EXPECT_EQ(Captions(*form), QStringList{QStringLiteral("Телефон")});
    EXPECT_TRUE(form->b_del->isEnabled());
}

TEST_F(EditorTest, MissingFileIsCreatedByTheFirstSaveAndAnEmptyNameWritesNothing)
{
    auto form = Open();
    EXPECT_EQ(form->prof_list->rowCount(), 0);
    form->b_editClick();  // e_name is empty
    EXPECT_FALSE(fs::exists(dir / "profiles.ini"));
    EXPECT_TRUE(desktop.messages.isEmpty());
    form->e_name->setText(QStringLiteral("A"));
    form->b_editClick();
    EXPECT_EQ(Sections(), std::vector<std::string>{"A"});
}

TEST_F(EditorTest, SavingAnExistingNameInOtherCaseReplacesItsKeysAndKeepsTheRest)
{
    dir.Write("profiles.ini", "[Motorola V3]\r\nsetFullScreen=0\r\nHeight=1\r\nNote=keep\r\n[Other]\r\nWidth=5\r\n");
    auto form = Open();
    form->e_name->setText(QStringLiteral("MOTOROLA v3"));
    form->e_height->setValue(220);
    form->e_up->SetItemIndex(2);
    form->b_editClick();
    EXPECT_EQ(File(), "[Motorola V3]\r\nsetFullScreen=0\r\nHeight=220\r\nNote=keep\r\nWidth=176\r\nLSoft=0\r\n"
                      "RSoft=0\r\nMenu=0\r\nOnUp=2\r\nOnDown=5\r\nOnLeft=0\r\nOnRight=3\r\n[Other]\r\nWidth=5\r\n");
    EXPECT_EQ(Captions(*form), (QStringList{"Motorola V3", "Other"}));
}

TEST_F(EditorTest, DeletingRemovesTheWholeSectionAndSelectsTheFirstRemaining)
{
    dir.Write("profiles.ini", kThree);
    auto form = Open();
    form->prof_list->selectRow(2);
    form->e_name->setText(QStringLiteral("Nokia 6300"));  // the entry decides, not the name field
    form->b_delClick();
    EXPECT_EQ(Sections(), (std::vector<std::string>{"Nokia 6300", "Siemens C65"}));
    EXPECT_EQ(File().find("setFullScreen"), std::string::npos);
    EXPECT_EQ(SelectedRow(*form), 0);

    form->b_delClick();
    form->b_delClick();
    EXPECT_EQ(form->prof_list->rowCount(), 0);
    EXPECT_FALSE(form->b_del->isEnabled());
    EXPECT_EQ(form->e_name->text(), QStringLiteral("Siemens C65"));  // the fields keep what they showed
    const std::string before = File();
    form->b_delClick();  // nothing selected: nothing happens
    EXPECT_EQ(File(), before);
    EXPECT_TRUE(desktop.errors.isEmpty());
}

TEST_F(EditorTest, NamesTheFileCannotHoldAreRefusedAndNothingIsWritten)
{
    dir.Write("profiles.ini", kThree);
    auto form = Open();
    for (const QString& name : {QStringLiteral("Nokia ]"), QStringLiteral(" Nokia"), QStringLiteral("Nokia\t"),
                                QStringLiteral("   "), QStringLiteral("Two\nlines"), QStringLiteral("手机")}) {
        form->e_name->setText(name);
        form->b_editClick();
    }
    EXPECT_EQ(File(), kThree);
    EXPECT_EQ(desktop.messages.size(), 6);

    // Anything else is found again under exactly the name it was saved as.
    desktop.messages.clear();
    const QStringList fine = {QStringLiteral("[bracket"), QStringLiteral("a = b; c"), QStringLiteral("Ёж\u00A0")};
    for (const QString& name : fine) {
        form->e_name->setText(name);
        form->b_editClick();
    }
    EXPECT_TRUE(desktop.messages.isEmpty());
    EXPECT_EQ(Captions(*form).mid(3), fine);
}

TEST_F(EditorTest, AnEmptiedNumberFieldSavesTheNumberItShowedBefore)
{
    dir.Write("profiles.ini", kThree);
    auto form = Open();
    form->e_name->setText(QStringLiteral("New"));
    form->e_height->setFocus();
    QTest::keyClick(form->e_height, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form->e_height, Qt::Key_Backspace);
    EXPECT_EQ(form->e_height->text(), QString());
    QTest::keyClick(form->e_width, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(form->e_width, QStringLiteral("-"));  // a lone sign is no number yet
    EXPECT_EQ(form->e_width->text(), QStringLiteral("-"));
    form->b_editClick();
    const PhoneProfile saved = ReadProfile(IniFile(dir / "profiles.ini"), "New");
    EXPECT_EQ(saved.Height, 320);
    EXPECT_EQ(saved.Width, 240);
}

TEST_F(EditorTest, ReadOnlyFileShowsTheWriteErrorAndLeavesEverythingAsItWas)
{
    dir.Write("profiles.ini", kThree);
    fs::permissions(dir / "profiles.ini", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    auto form = Open();
    form->show();
    const QString expected = QString::fromStdString(UnableToWriteText(dir / "profiles.ini", EACCES));

    form->e_name->setText(QStringLiteral("New"));
    form->b_edit->click();
    form->b_del->click();
    EXPECT_EQ(desktop.errors, (QStringList{expected, expected}));
    EXPECT_EQ(File(), kThree);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->prof_list->rowCount(), 3);
    EXPECT_EQ(form->e_name->text(), QStringLiteral("New"));  // not reloaded after the failure
    EXPECT_EQ(SelectedRow(*form), 0);
    // Nothing is left behind in the folder either.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

// ---- The editor opened from the main window ----

struct MainWindowTest : ::testing::Test {
    ScriptedDesktop desktop;
    AppFolder app{false};

    // Clicks "Профили" and lets `edit` work in the modal editor before closing it.
    void RunEditor(MainWindow& form, std::function<void(ProfileEditor&)> edit)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* editor = qobject_cast<ProfileEditor*>(QApplication::activeModalWidget());
            ASSERT_NE(editor, nullptr);
            EXPECT_EQ(editor->parentWidget(), &form);
            edit(*editor);
            ran = true;
            editor->close();
        });
        form.b_profilesClick();
        EXPECT_TRUE(ran);
        EXPECT_EQ(form.findChildren<ProfileEditor*>().size(), 0);  // destroyed once closed
    }
};

TEST_F(MainWindowTest, ANewProfileIsTheLastPhoneAfterTheEditorCloses)
{
    app.Write("profiles.ini", kThree);
    MainWindow form(app.DirText());
    RunEditor(form, [](ProfileEditor& editor) {
        editor.e_name->setText(QStringLiteral("Samsung E250"));
        editor.e_width->setValue(128);
        editor.e_height->setValue(160);
        editor.b_edit->click();
    });
    ASSERT_EQ(form.e_model->count(), 4);
    EXPECT_EQ(form.e_model->itemText(3), QStringLiteral("Samsung E250"));
    EXPECT_EQ(form.Profiles.back().Width, 128);
    EXPECT_TRUE(form.Profiles.back().setFullScreen);
    EXPECT_EQ(form.e_model->ItemIndex(), 1);
}

TEST_F(MainWindowTest, DeletingTheFirstOfFiveKeepsThePositionSoTheFormerFourthIsChosen)
{
    app.Write("profiles.ini", "[P1]\r\nWidth=101\r\n[P2]\r\nWidth=102\r\n[P3]\r\nWidth=103\r\n"
                              "[P4]\r\nWidth=104\r\nHeight=180\r\n[P5]\r\nWidth=105\r\n");
    MainWindow form(app.DirText());
    form.e_model->SetItemIndex(2);
    RunEditor(form, [](ProfileEditor& editor) {
        ASSERT_EQ(editor.e_name->text(), QStringLiteral("P3"));  // it opens on the phone chosen
        editor.prof_list->selectRow(0);
        ASSERT_EQ(editor.e_name->text(), QStringLiteral("P1"));
        editor.b_del->click();
    });
    EXPECT_EQ(form.e_model->ItemIndex(), 2);
    EXPECT_EQ(form.e_model->currentText(), QStringLiteral("P4"));
    ASSERT_NE(form.SelectedProfile(), nullptr);
    EXPECT_EQ(form.SelectedProfile()->Width, 104);
    EXPECT_EQ(form.i_scr->size(), QSize(104, 180));  // the preview took the new phone's screen
}

TEST_F(EditorTest, PackageLimitIsShownAndSavedAndAFileWithoutItMeansNone)
{
    dir.Write("profiles.ini", kThree);
    auto form = Open();
    // None of the shipped keys moves for the new row: it lies below the last of them.
    EXPECT_GT(form->e_maxjar->y(), form->e_right->y());
    EXPECT_EQ(form->e_maxjar->value(), 0);
    EXPECT_EQ(ReadProfile(*form->ProfileIni, "Nokia 6300").MaxJarBytes(), 0u);
    // Saving a profile without a limit leaves the file as it was.
    form->b_editClick();
    EXPECT_EQ(File(), kThree);

    form->e_maxjar->setValue(100);
    form->b_editClick();
    EXPECT_NE(File().find("OnRight=0\r\nMaxJarSize=100\r\n[Siemens C65]"), std::string::npos) << File();
    form->prof_list->selectRow(1);
    EXPECT_EQ(form->e_maxjar->value(), 0);
    form->prof_list->selectRow(0);
    EXPECT_EQ(form->e_maxjar->value(), 100);
    EXPECT_EQ(ReadProfile(*form->ProfileIni, "Nokia 6300").MaxJarBytes(), 102400u);

    // Back to none: the key stays, at 0.
    form->e_maxjar->setValue(0);
    form->b_editClick();
    EXPECT_NE(File().find("MaxJarSize=0\r\n"), std::string::npos);
    EXPECT_EQ(ReadProfile(*form->ProfileIni, "Nokia 6300").MaxJarSize, 0);
}

// ---- Adding, closing, asking before deleting ----

TEST_F(EditorTest, AddPreparesANewProfileUnderAFreeNameAndSaveWritesIt)
{
    // "Новый профиль" is taken (the file is cp1251).
    const std::string taken = "[\xCD\xEE\xE2\xFB\xE9 \xEF\xF0\xEE\xF4\xE8\xEB\xFC]\r\nWidth=1\r\n";
    dir.Write("profiles.ini", kThree + taken);
    auto form = Open();
    form->prof_list->selectRow(0);
    form->b_add->click();
    EXPECT_EQ(SelectedRow(*form), -1);
    EXPECT_FALSE(form->b_del->isEnabled());
    EXPECT_EQ(form->e_name->text(), QStringLiteral("Новый профиль 2"));
    EXPECT_EQ(Fields(*form), (std::vector<int>{176, 204, 0, 0, 0, 2, 5, 0, 3}));
    EXPECT_EQ(form->e_maxjar->value(), 0);
    EXPECT_FALSE(form->status->currentMessage().isEmpty());
    EXPECT_EQ(File(), kThree + taken);  // nothing written yet

    form->e_width->setValue(240);
    form->b_edit->click();
    EXPECT_EQ(Sections().back(), "\xCD\xEE\xE2\xFB\xE9 \xEF\xF0\xEE\xF4\xE8\xEB\xFC 2");
    EXPECT_EQ(ReadProfile(*form->ProfileIni, Sections().back()).Width, 240);
}

TEST_F(EditorTest, DeletingAsksFirstAndEscOrCloseEndTheWindow)
{
    dir.Write("profiles.ini", kThree);
    auto form = Open();
    form->prof_list->selectRow(1);
    desktop.askAnswers = {false, true};
    form->b_del->click();  // "Нет"
    EXPECT_EQ(File(), kThree);
    ASSERT_EQ(desktop.questions.size(), 1);
    EXPECT_TRUE(desktop.questions[0].contains(QStringLiteral("Siemens C65")));
    EXPECT_EQ(SelectedRow(*form), 1);
    form->b_del->click();  // "Да"
    EXPECT_EQ(Sections(), (std::vector<std::string>{"Nokia 6300", "Motorola"}));

    for (const bool withEsc : {true, false}) {
        form->show();
        QApplication::setActiveWindow(form.get());
        if (withEsc) QTest::keyClick(form->e_name, Qt::Key_Escape);
        else form->b_close->click();
        EXPECT_FALSE(form->isVisible()) << withEsc;
        EXPECT_EQ(form->result(), QDialog::Rejected);
    }
}

TEST_F(MainWindowTest, TheEditorOpensOnTheChosenPhone)
{
    app.Write("profiles.ini", kThree);
    MainWindow form(app.DirText());
    for (const int chosen : {2, 0, -1}) {
        form.e_model->SetItemIndex(chosen);
        RunEditor(form, [chosen](ProfileEditor& editor) {
            EXPECT_EQ(SelectedRow(editor), std::max(chosen, 0)) << chosen;  // none chosen: the first
        });
    }
}

} // namespace lumira
