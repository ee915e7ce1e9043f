#include "app/single_instance.h"

#include <QCoreApplication>
#include <QDir>

namespace lumira {

SingleInstance::SingleInstance(const QString& appDir)
    : lock_(std::make_unique<QLockFile>(appDir + QStringLiteral("lumira.lock"))),
      path_(QDir::toNativeSeparators(appDir + QStringLiteral("lumira.lock")))
{
    lock_->setStaleLockTime(0);  // only a live process holds the folder
    acquired_ = lock_->tryLock(0);
    if (!acquired_ && lock_->error() == QLockFile::LockFailedError) {
        // A lock whose owner is gone is stale: take it over.
        if (lock_->removeStaleLockFile()) acquired_ = lock_->tryLock(0);
        heldByAnother_ = !acquired_ && lock_->error() == QLockFile::LockFailedError;
    }
    if (!acquired_ && lock_->error() == QLockFile::PermissionError) {
        // A folder we may not write holds no temp either; start-up reports that itself.
        acquired_ = true;
    }
    // Any other failure (a folder that cannot be changed at all, a full disk, a path that is no
    // folder) leaves the folder unguarded: say so rather than start without the lock.
}

QString SingleInstance::FailureText() const
{
    if (acquired_) return {};
    return heldByAnother_ ? AlreadyRunningText() : CannotLockText(path_);
}

QString SingleInstance::AlreadyRunningText()
{
    return QCoreApplication::translate("SingleInstance", "Программа уже запущена из этой папки.");
}

QString SingleInstance::CannotLockText(const QString& path)
{
    return QCoreApplication::translate("SingleInstance",
                                       "Не удаётся создать файл %1, который не даёт запустить вторую копию программы из этой папки. "
                                       "Проверьте, что в папку программы можно записывать.")
        .arg(path);
}

} // namespace lumira
