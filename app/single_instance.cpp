#include "app/single_instance.h"

#include <QCoreApplication>

SingleInstance::SingleInstance(const QString& appDir)
    : lock_(std::make_unique<QLockFile>(appDir + QStringLiteral("lumira.lock")))
{
    lock_->setStaleLockTime(0);  // only a live process holds the folder
    acquired_ = lock_->tryLock(0);
    if (!acquired_ && lock_->error() == QLockFile::LockFailedError) {
        // A lock whose owner is gone is stale: take it over.
        if (lock_->removeStaleLockFile()) acquired_ = lock_->tryLock(0);
    }
    if (!acquired_ && lock_->error() == QLockFile::PermissionError) {
        // A folder we cannot write holds no temp either; start-up reports that itself.
        acquired_ = true;
    }
}

QString SingleInstance::AlreadyRunningText()
{
    return QCoreApplication::translate("SingleInstance", "Программа уже запущена из этой папки.");
}
