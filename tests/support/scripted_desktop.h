#pragma once
// A stand-in for the desktop's dialogs: answers come from queues the test fills, and everything
// shown or opened is recorded. Installed for its lifetime.
#include "platform/desktop.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace lumira {

class ScriptedDesktop : public Desktop {
public:
    ScriptedDesktop();
    ~ScriptedDesktop() override;

    // Answers, taken first in, first out; an empty queue answers "cancelled".
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<std::optional<BookFontStyle>> fontAnswers;
    std::deque<std::optional<ColorValue>> colorAnswers;
    // Answers to questions; an empty queue answers "Да". whileAsking runs while a question is up
    // (optional).
    std::deque<bool> askAnswers;
    // Runs while the save dialog is up, before it answers (optional).
    std::function<void()> whileSaving;
    std::function<void()> whileAsking;
    // Whether an address can be opened.
    bool urlsOpen = true;

    // What the program asked and showed.
    std::vector<FileDialogOptions> openRequests;
    std::vector<FileDialogOptions> saveRequests;
    std::vector<BookFontStyle> fontRequests;
    std::vector<ColorValue> colorRequests;
    QStringList messages;
    QStringList questions;
    QStringList errors;
    QStringList openedUrls;
    int busyDepth = 0;
    int busyCalls = 0;

    std::optional<QString> OpenFile(QWidget*, const FileDialogOptions& options) override;
    std::optional<QString> SaveFile(QWidget*, const FileDialogOptions& options) override;
    std::optional<BookFontStyle> ChooseFont(QWidget*, const BookFontStyle& initial) override;
    std::optional<ColorValue> ChooseColor(QWidget*, ColorValue initial) override;
    void ShowMessage(QWidget*, const QString& text) override { messages << text; }
    bool Ask(QWidget*, const QString& question) override;
    void ShowError(QWidget*, const QString& text) override { errors << text; }
    bool OpenUrl(const QString& url) override
    {
        openedUrls << url;
        return urlsOpen;
    }
    void SetBusy(bool busy) override;
};

} // namespace lumira
