#pragma once

#include "platform/lha/format/MemberHeader.h"

#include <QString>

class QIODevice;

// Decodes one member's data through liblhasa's decoders, streaming in 64 KiB
// blocks, and checks the decoded length and CRC against the header. The sink
// gets the data without the MacBinary header a Mac archiver may have added
// (see MacBinaryFilter); the CRC covers everything the member holds.
namespace MemberDecoder {

// Writes the data to `sink` (nullptr: decode and check only). Returns 0 or
// an archiver result code (ERROR_UNKNOWN_TYPE, ERROR_FILE_CRC,
// ERROR_CANNOT_READ, ERROR_CANNOT_WRITE).
int decode(QIODevice& archive, const MemberHeader& header, QIODevice* sink, QString* reason = nullptr);

bool isSupportedMethod(const QByteArray& method);

} // namespace MemberDecoder
