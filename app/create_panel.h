#pragma once
// The main window's Create row: while a book is built, a progress bar with the share done and a
// Cancel button beside the Create button; afterwards a status line saying how it ended, with a
// link that opens the package's folder.
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace lumira {

class CreatePanel : public QObject {
    Q_OBJECT
public:
    // The widgets are made hidden, as children of `window`, which lays them out.
    explicit CreatePanel(QWidget* window);

    // A build begins: the bar at nothing, Cancel offered, the last status line gone.
    void Start();
    // Per mille of the build done.
    void SetShare(int perMille);
    // The build ended: the bar and Cancel go away.
    void Finish();
    // "Книга сохранена: <name>" with a link to the package's folder; a `note` (a package too
    // large for phones) marks the line with a warning sign and goes into its tooltip.
    void ShowSaved(const QString& jarPath, const QString& note = QString());
    // "Книга сохранена, томов: N (first … last)" with the same link and every package in its
    // tooltip, for a book split into volumes.
    void ShowSavedVolumes(const QStringList& jarPaths);
    // A plain status line.
    void ShowStatus(const QString& text);
    // No status line.
    void ClearStatus();

    // Set by Cancel until the next Start.
    const std::atomic<bool>& CancelFlag() const { return cancel_; }
    void RequestCancel() { cancel_ = true; }

    QProgressBar* bar = nullptr;
    QPushButton* cancel = nullptr;
    QLabel* status = nullptr;

private:
    QString folder_;  // of the package last saved
    std::atomic<bool> cancel_{false};
};

} // namespace lumira
