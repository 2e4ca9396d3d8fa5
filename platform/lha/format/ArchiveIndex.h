#pragma once

#include "platform/lha/format/MemberHeader.h"

#include <QList>
#include <QString>

class QIODevice;

// Every member header of an archive, read from its start to its real end:
// the end-of-archive byte or the end of the file right after a member. A
// header that cannot be read there, or a member whose data runs past the
// end of the file, makes the whole archive unusable.
class ArchiveIndex
{
public:
    // Reads the headers of `archive` (open for reading). `limit` stops after
    // that many members without looking further (0: all).
    static ArchiveIndex scan(QIODevice& archive, int limit = 0);

    bool ok() const { return error_ == 0; }
    int error() const { return error_; }
    QString reason() const { return reason_; }
    const QList<MemberHeader>& members() const { return members_; }
    // Where the end-of-archive byte sits (or the file ends).
    qint64 endOffset() const { return endOffset_; }

private:
    int error_ = 0;
    QString reason_;
    QList<MemberHeader> members_;
    qint64 endOffset_ = 0;
};
