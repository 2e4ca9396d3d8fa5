#pragma once

#include "platform/lha/format/MemberHeader.h"

#include <QByteArray>

class QIODevice;

// Classic Mac archivers put a 128-byte MacBinary header (and the resource
// fork) around a file's data. Such a header carries no mark of its own, so
// it is dropped only when the member comes from a Mac (OS type 'm') and
// every field agrees with the member's header: then the data fork (or the
// resource fork when there is no data fork) is what gets written. Anything
// else passes through unchanged.
class MacBinaryFilter
{
public:
    explicit MacBinaryFilter(const MemberHeader& member);

    // Hands decoded bytes on to `sink`; false when the sink refuses them.
    bool write(QIODevice& sink, const char* data, qint64 size);

private:
    bool decide(QIODevice& sink);
    bool isAddedHeader() const;

    const MemberHeader& member_;
    QByteArray head_; // the first bytes, held back until the header is judged
    bool decided_ = false;
    bool stripping_ = false;
    quint64 keep_ = 0; // bytes of the kept fork still to write
};
