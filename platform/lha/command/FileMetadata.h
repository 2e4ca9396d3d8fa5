#pragma once

#include "platform/lha/format/MemberHeader.h"

#include <QString>

// Gives an extracted file the time stamp and the permission bits its header
// carries, less the process umask, so that an archive cannot make a program
// world-writable behind the user's settings. Set-user-id, set-group-id and
// sticky bits are never restored, and the owner can always read the file.
namespace FileMetadata {

void apply(const QString& path, const MemberHeader& header);

// Unix permission bits of a local file, for the header of a new member.
quint16 unixModeOf(const QString& path);

} // namespace FileMetadata
