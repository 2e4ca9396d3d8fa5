#include "platform/lha/format/ArchiveIndex.h"

#include "platform/lha/command/unlha32.h"
#include "platform/lha/format/LhaHeader.h"

#include <QIODevice>

ArchiveIndex ArchiveIndex::scan(QIODevice& archive, int limit)
{
    ArchiveIndex index;
    const qint64 size = archive.size();
    qint64 offset = 0;
    for (;;) {
        if (limit > 0 && index.members_.size() >= limit)
            break;
        LhaHeader::ReadResult r = LhaHeader::readAt(archive, offset);
        if (r.kind == LhaHeader::ReadResult::Kind::End) {
            if (index.members_.isEmpty()) {
                index.error_ = ERROR_NOT_ARC_FILE;
                index.reason_ = QStringLiteral("no member in the archive");
            }
            break;
        }
        if (r.kind == LhaHeader::ReadResult::Kind::Broken) {
            // Garbage where the first header should be: not an archive at all.
            index.error_ =
                index.members_.isEmpty() && r.error == ERROR_HEADER_BROKEN ? ERROR_NOT_ARC_FILE : r.error;
            index.reason_ = r.reason;
            break;
        }
        if (r.header.packedSize > quint64(size) || r.header.endOffset() > size) {
            index.error_ = ERROR_EOF;
            index.reason_ = QStringLiteral("member data cut short");
            break;
        }
        offset = r.header.endOffset();
        index.members_.append(r.header);
    }
    index.endOffset_ = offset;
    return index;
}
