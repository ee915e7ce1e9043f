#include "support/scripted_desktop.h"

namespace lumira {

namespace {

template <typename T>
std::optional<T> Take(std::deque<std::optional<T>>& queue)
{
    if (queue.empty()) return std::nullopt;
    const std::optional<T> answer = queue.front();
    queue.pop_front();
    if (!answer) return std::nullopt;
    return T(*answer);
}

} // namespace

ScriptedDesktop::ScriptedDesktop() { InstallDesktop(this); }
ScriptedDesktop::~ScriptedDesktop() { InstallDesktop(nullptr); }

std::optional<QString> ScriptedDesktop::OpenFile(QWidget*, const FileDialogOptions& options)
{
    openRequests.push_back(options);
    return Take(openAnswers);
}

std::optional<QString> ScriptedDesktop::SaveFile(QWidget*, const FileDialogOptions& options)
{
    saveRequests.push_back(options);
    if (whileSaving) whileSaving();
    return Take(saveAnswers);
}

std::optional<BookFontStyle> ScriptedDesktop::ChooseFont(QWidget*, const BookFontStyle& initial)
{
    fontRequests.push_back(initial);
    return Take(fontAnswers);
}

std::optional<ColorValue> ScriptedDesktop::ChooseColor(QWidget*, ColorValue initial)
{
    colorRequests.push_back(initial);
    return Take(colorAnswers);
}

bool ScriptedDesktop::Ask(QWidget*, const QString& question)
{
    questions << question;
    if (whileAsking) whileAsking();
    if (askAnswers.empty()) return true;
    const bool answer = askAnswers.front();
    askAnswers.pop_front();
    return answer;
}

void ScriptedDesktop::SetBusy(bool busy)
{
    busyDepth += busy ? 1 : -1;
    ++busyCalls;
}

} // namespace lumira
