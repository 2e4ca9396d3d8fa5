#pragma once

#include "platform/lha/format/ArchiveIndex.h"

#include <QFile>
#include <QString>

// An archive opened for reading with its headers indexed.
class ArchiveReader
{
public:
    // 0, or ERROR_NOT_FIND_ARC_FILE, ERROR_ARC_FILE_OPEN, or the index's error.
    int open(const QString& path, int headerLimit = 0);

    QFile& file() { return file_; }
    const ArchiveIndex& index() const { return index_; }
    QString message() const { return message_; }

private:
    QFile file_;
    ArchiveIndex index_;
    QString message_;
};
