#pragma once
// The standard dialogs and the desktop's services, behind one interface so that tests can run
// every handler with scripted answers. The program uses TheDesktop(); tests install a double.
#include "platform/colors.h"
#include "platform/book_font_style.h"

#include <QString>
#include <optional>

class QWidget;

namespace lumira {

struct FileDialogOptions {
    QString initialDir;
    QString fileName;    // default file name (may be a full path)
    QString filter;      // "Description|*.ext|Description|*.*"
    QString defaultExt;  // without the dot
};

class Desktop {
public:
    virtual ~Desktop() = default;

    // The chosen full path, or nothing when the user cancels.
    virtual std::optional<QString> OpenFile(QWidget* parent, const FileDialogOptions& options) = 0;
    virtual std::optional<QString> SaveFile(QWidget* parent, const FileDialogOptions& options) = 0;
    // Font chooser with the effects (underline, strike-out, colour) offered.
    virtual std::optional<BookFontStyle> ChooseFont(QWidget* parent, const BookFontStyle& initial) = 0;
    virtual std::optional<ColorValue> ChooseColor(QWidget* parent, ColorValue initial) = 0;

    // A message box with an OK button.
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
    // A question with the answers "Да" and "Нет" ("Нет" is the default); true for "Да".
    virtual bool Ask(QWidget* parent, const QString& question) = 0;
    // The error box (a critical message box).
    virtual void ShowError(QWidget* parent, const QString& text) = 0;
    // Opens an address with the desktop's default handler (browser, mail program, file manager);
    // false when no handler could be started.
    virtual bool OpenUrl(const QString& url) = 0;
    // The application-wide hourglass pointer.
    virtual void SetBusy(bool busy) = 0;
};

Desktop& TheDesktop();
// Replaces the desktop (tests); nullptr restores the real one. The caller keeps ownership.
void InstallDesktop(Desktop* desktop);

// Converts a "Description|*.ext|..." filter into Qt's "Description (*.ext);;..." form.
QString QtFilterFromPairs(const QString& filter);

// Shows the hourglass for as long as it lives.
class BusyCursor {
public:
    BusyCursor() { TheDesktop().SetBusy(true); }
    ~BusyCursor() { TheDesktop().SetBusy(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace lumira
