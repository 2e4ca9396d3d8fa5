#include "updater/app/StagedInstall.h"

#include <QDir>
#include <QFileInfo>
#include <QList>

namespace {

const QString kStagingPrefix = QStringLiteral(".verup-staging-");
const QString kNewFolder = QStringLiteral("new");
const QString kOldFolder = QStringLiteral("old");

} // namespace

StagedInstall::StagedInstall(const QString& productFolder)
    : productFolder_(productFolder),
      staging_(QDir(productFolder).filePath(kStagingPrefix + QStringLiteral("XXXXXX")))
{
    if (staging_.isValid()) {
        QDir root(staging_.path());
        if (!root.mkdir(kNewFolder) || !root.mkdir(kOldFolder))
            staging_.remove();
    }
}

QString StagedInstall::folder() const
{
    return staging_.filePath(kNewFolder);
}

QString StagedInstall::oldPath(const QString& name) const
{
    return staging_.filePath(kOldFolder + QLatin1Char('/') + name);
}

bool StagedInstall::hasFile(const QString& fileName) const
{
    return QFileInfo(QDir(folder()).filePath(fileName)).isFile();
}

bool StagedInstall::commit()
{
    if (!isValid())
        return false;
    const QDir staged(folder());
    const QDir product(productFolder_);
    QDir files;
    QList<Moved> moved;
    const QFileInfoList entries = staged.entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        const QFileInfo target(product.filePath(name));
        // What extraction would refuse to write over, the move refuses as well.
        const bool refused = !entry.isFile() || entry.isSymLink() || target.isSymLink() ||
                             (target.exists() && !target.isFile());
        const bool replaced = target.exists();
        if (refused || (replaced && !files.rename(target.filePath(), oldPath(name)))) {
            rollBack(moved);
            return false;
        }
        if (!files.rename(entry.filePath(), target.filePath())) {
            if (replaced)
                files.rename(oldPath(name), target.filePath());
            rollBack(moved);
            return false;
        }
        moved.append({name, replaced});
    }
    return true;
}

void StagedInstall::rollBack(const QList<Moved>& moved) const
{
    QDir files;
    const QDir product(productFolder_);
    for (auto it = moved.crbegin(); it != moved.crend(); ++it) {
        const QString target = product.filePath(it->name);
        files.rename(target, QDir(folder()).filePath(it->name));
        if (it->replaced)
            files.rename(oldPath(it->name), target);
    }
}

void StagedInstall::removeLeftovers(const QString& productFolder)
{
    const QDir product(productFolder);
    const QStringList leftovers = product.entryList({kStagingPrefix + QLatin1Char('*')},
                                                    QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : leftovers)
        QDir(product.filePath(name)).removeRecursively();
}
