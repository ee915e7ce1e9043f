#pragma once
// One running copy per program folder: a second copy would empty the first one's working folder.
// The lock file lies beside "temp", not inside it; a lock left by a crashed copy is taken over.
#include <QLockFile>
#include <QString>
#include <memory>

namespace lumira {

class SingleInstance {
public:
    explicit SingleInstance(const QString& appDir);
    bool Acquired() const { return acquired_; }
    // Another running copy holds the folder (not: the lock file cannot be made).
    bool HeldByAnother() const { return heldByAnother_; }
    // Why the folder was not taken: another copy holds it, or the lock file cannot be made.
    QString FailureText() const;
    static QString AlreadyRunningText();
    // The lock file `path` cannot be created.
    static QString CannotLockText(const QString& path);

private:
    std::unique_ptr<QLockFile> lock_;
    QString path_;
    bool acquired_ = false;
    bool heldByAnother_ = false;
};

} // namespace lumira
