#pragma once

#include "platform/lha/format/MemberHeader.h"

#include <QByteArray>

// What other LHA programs write differently from the common header layout,
// and how it is read. (Classic Mac archivers' MacBinary data is
// MacBinaryFilter's; LArc's methods are decoded by liblhasa.)
namespace HeaderVariants {

// Amiga and MorphOS tools store a file's comment after a NUL in its name
// field; every reader takes the name as a C string.
QByteArray nameBeforeComment(const QByteArray& field);

// The whole size of a level 2 header from its size field: OS-9/68k's
// archiver stores the size without the field's own two bytes.
qint64 levelTwoHeaderSize(quint16 sizeField, quint8 osType);

// Unix tools' extended area at the end of a level 0 header (OS-9/68k writes
// the same): OS type, version, time, then mode, uid and gid at its end.
// Takes the OS type, time and mode from `base` (the whole level 0 header)
// when the area is there.
void readLevelZeroUnixArea(const QByteArray& base, int nameSize, MemberHeader& header);

// OS-9 keeps read, write and execute for the owner and for the public; the
// public bits serve for group and others, as Unix tools map them.
void takeOs9Mode(MemberHeader& header);

} // namespace HeaderVariants
