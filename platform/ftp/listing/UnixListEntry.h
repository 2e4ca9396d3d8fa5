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

// The name in the rest of a line of this mode after the date: a symbolic
// link's "name -> target" names the link itself.
QByteArrayView unixEntryName(QByteArrayView mode, QByteArrayView rest);

// Type, permissions, size and time of the entry a line of this mode describes.
void describeUnixEntry(FtpEntry& entry, QByteArrayView mode, qint64 size, WallTime modified);

} // namespace FtpListing
