#include "platform/shell/OwnerOnly.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace OwnerOnly {

bool makeFolder(const QString& path)
{
    const QFileInfo folder(path);
    if (folder.isDir())
        return QFile::setPermissions(path, kFolder);
    if (!QDir().mkpath(folder.absolutePath())) // the parent
        return false;
    return QDir().mkdir(path, kFolder);
}

bool makeFile(const QString& path)
{
    if (QFileInfo::exists(path))
        return QFile::setPermissions(path, kFile);
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kFile);
}

} // namespace OwnerOnly
