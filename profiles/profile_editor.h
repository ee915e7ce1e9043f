#pragma once
// The profile editor: lists the sections of profiles.ini and saves or deletes one at a time,
// straight into the file. It keeps no profile data of its own beyond what its controls show.
#include "platform/controls.h"
#include "platform/ini_file.h"
#include "profiles/number_field.h"

#include <QDialog>
#include <memory>

class QLineEdit;
class QPushButton;
class QStatusBar;
class QTableWidget;
class QTableWidgetItem;

namespace lumira {

class ProfileEditor : public QDialog {
    Q_OBJECT
public:
    // `appDir` is the program folder ending in a separator (the main window's AppDir); the window
    // works on appDir + "profiles.ini". Builds the controls, binds the file, fills the list.
    explicit ProfileEditor(const QString& appDir, QWidget* parent = nullptr);
    ~ProfileEditor() override;

    std::unique_ptr<IniFile> ProfileIni;

    QTableWidget* prof_list = nullptr;
    QLineEdit* e_name = nullptr;
    NumberField* e_width = nullptr;
    NumberField* e_height = nullptr;
    NumberField* e_lsoft = nullptr;
    NumberField* e_rsoft = nullptr;
    NumberField* e_menu = nullptr;
    ListField* e_up = nullptr;
    ListField* e_down = nullptr;
    ListField* e_left = nullptr;
    ListField* e_right = nullptr;
    NumberField* e_maxjar = nullptr;  // MaxJarSize, KB; 0: no limit
    QPushButton* b_edit = nullptr;
    QPushButton* b_del = nullptr;
    QPushButton* b_add = nullptr;    // "Добавить": the fields made ready for a new profile
    QPushButton* b_close = nullptr;  // "Закрыть" (Esc)
    QStatusBar* status = nullptr;

    // Refills the list from the file, in section order, and selects the first entry.
    void ReloadProfileList();
    // The list reports each change of an entry's selection state here: unselected, then selected.
    void prof_listSelectItem(QTableWidgetItem* entry, bool selected);
    // "Сохранить": writes the fields into the section named by e_name, then reloads the list.
    // A failed write throws "Unable to write to %s"; the list is then left as it was.
    void b_editClick();
    // "Удалить": asks, then erases the selected entry's section and reloads the list.
    void b_delClick();
    // "Добавить": no entry selected, a free name and the default values in the fields, the name
    // ready to be typed over; "Сохранить" then writes the new profile.
    void b_addClick();
    // Selects the entry of `section` (letter case aside), when there is one.
    void SelectProfile(const std::string& section);

    // The section name an entry stands for (the file's own bytes).
    static std::string SectionOf(const QTableWidgetItem* entry);

private:
    void CreateControls();
};

// The instance the program creates at start-up, after the main window; it is never shown.

} // namespace lumira
