#include "platform/lha/command/ArchiveReader.h"

#include "platform/lha/command/unlha32.h"

#include <QFileInfo>

int ArchiveReader::open(const QString& path, int headerLimit)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        message_ = QStringLiteral("Archive not found: %1").arg(path);
        return ERROR_NOT_FIND_ARC_FILE;
    }
    file_.setFileName(path);
    if (!info.isFile() || !file_.open(QIODevice::ReadOnly)) {
        message_ = QStringLiteral("Cannot open the archive: %1").arg(path);
        return ERROR_ARC_FILE_OPEN;
    }
    index_ = ArchiveIndex::scan(file_, headerLimit);
    if (!index_.ok()) {
        message_ = index_.error() == ERROR_NOT_ARC_FILE
                       ? QStringLiteral("Not an LHA archive: %1").arg(path)
                       : QStringLiteral("Broken archive (%1): %2").arg(index_.reason(), path);
        return index_.error();
    }
    return 0;
}
