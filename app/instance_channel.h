#pragma once
// How a second start reaches the copy that already runs from the same folder: it hands over the
// file it was asked to open (or nothing), and the running copy brings its window forward. A local
// (Unix domain) socket named after the locked folder, open to this user only.
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QSocketNotifier;

namespace lumira {

class InstanceChannel : public QObject {
    Q_OBJECT
public:
    // What the running copy is asked: the absolute path of a file to open, or empty to come forward.
    using Request = std::function<void(const QString& file)>;

    // Listens for the copy that holds `lockFolder` (the folder of the one-copy lock, ending in a
    // separator); call it only while holding that lock. A socket left by a copy that ended
    // without removing it is replaced.
    InstanceChannel(const QString& lockFolder, Request onRequest, QObject* parent = nullptr);
    ~InstanceChannel() override;
    bool Listening() const;

    // Hands `file` (absolute, or empty) to the copy that holds `lockFolder`; true once that copy
    // has taken it, false when none answers within `timeoutMs`.
    static bool HandOver(const QString& lockFolder, const QString& file, int timeoutMs = 5000);

    // The socket's name for a folder.
    static QString ServerName(const QString& lockFolder);

private:
    void Accept();
    int listener_ = -1;
    QString path_;
    QSocketNotifier* incoming_ = nullptr;
    Request onRequest_;
};

// The file named on the command line (the first argument that is not an option; "--" ends the
// options; a file: URL is taken as its local path), made absolute against `currentDir`.
std::optional<QString> FileToOpen(const QStringList& arguments, const QString& currentDir);

} // namespace lumira
