#pragma once
// One running copy per program folder: a second copy would empty the first one's working folder.
// The lock file lies beside "temp", not inside it; a lock left by a crashed copy is taken over.
#include <QLockFile>
#include <QString>
#include <memory>

class SingleInstance {
public:
    explicit SingleInstance(const QString& appDir);
    bool Acquired() const { return acquired_; }
    static QString AlreadyRunningText();

private:
    std::unique_ptr<QLockFile> lock_;
    bool acquired_ = false;
};
