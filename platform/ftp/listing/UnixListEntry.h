#pragma once

#include "platform/ftp/FtpEntry.h"
#include "platform/ftp/listing/ListingValues.h"

#include <QByteArrayView>
#include <optional>

// What every reading of an "ls -l" line shares: the mode column and the
// entry that the line's fields describe.
namespace FtpListing {

// The type letter and nine permission letters of ls ("-rw-r--r--",
// "drwxr-sr-x"), with an ACL, security context or extended attribute mark
// as an eleventh character.
bool isUnixMode(QByteArrayView text);

// Character and block devices: ls shows "major, minor" in place of a size.
bool isUnixDevice(char type);

// The entry of a line with this mode; name is the rest of the line after the
// date ("name -> target" for a symbolic link). Nothing when the name cannot
// name an entry.
std::optional<FtpEntry> unixEntry(QByteArrayView mode, QByteArrayView name, qint64 size, WallTime modified,
                                  FtpNameEncoding encoding);

} // namespace FtpListing
