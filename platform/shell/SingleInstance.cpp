#include "platform/shell/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace {
QString& lockFolderOverride()
{
    static QString folder;
    return folder;
}
} // namespace

void SingleInstance::setLockFolder(const QString& folder)
{
    lockFolderOverride() = folder;
}

SingleInstance::SingleInstance(const QString& programName)
{
    QString folder = lockFolderOverride();
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QDir().mkpath(folder);
    lock_ = std::make_unique<QLockFile>(folder + QLatin1Char('/') + programName + QStringLiteral(".lock"));
    lock_->setStaleLockTime(0);
}

bool SingleInstance::anotherInstanceRunning()
{
    if (!acquired_)
        acquired_ = lock_->tryLock(0);
    return !acquired_;
}
