#pragma once

#include "platform/lha/format/MemberHeader.h"

#include <QString>

class QIODevice;

// Reads one member header (levels 0 to 3) at a given offset of an archive,
// checking every length against what is really there and every checksum the
// header carries. Nothing is allocated from a size the header declares
// beyond a fixed cap.
namespace HeaderParser {

struct Result
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

Result readAt(QIODevice& archive, qint64 offset);

} // namespace HeaderParser
