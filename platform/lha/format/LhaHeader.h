#pragma once

#include "platform/lha/format/MemberHeader.h"

#include <QString>
#include <optional>

class QIODevice;

// The member header in one place, read and written: the base layouts of
// levels 0 to 3 (level 3 is only read), their extended headers
// (ExtendedHeaders) and what other archivers do differently
// (HeaderVariants). Reading checks every length against what is really
// there and every checksum the header carries, and allocates nothing from a
// size the header declares beyond a fixed cap.
namespace LhaHeader {

struct ReadResult
{
    enum class Kind
    {
        Member,
        End,    // end-of-archive byte or the end of the file
        Broken, // error holds the archiver result code
    };
    Kind kind = Kind::Broken;
    int error = 0;
    QString reason;
    MemberHeader header;
};

// Reads the member header at `offset` of an archive.
ReadResult readAt(QIODevice& archive, qint64 offset);

// The bytes of `header` at `header.level` (0, 1 or 2), with a name made by
// MemberPath::forStoring. Fails with a message when the name or the size
// does not fit the level.
std::optional<QByteArray> serialise(const MemberHeader& header, QString* error);

} // namespace LhaHeader
