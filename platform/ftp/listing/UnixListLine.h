#pragma once

#include "platform/ftp/FtpEntry.h"
#include "platform/ftp/listing/ListingValues.h"

#include <QByteArrayView>
#include <optional>

namespace FtpListing {

// One line of "ls -l" output as Unix-like servers send it for LIST: with or
// without the group column, numeric owners, ACL marks after the mode, the
// inode and block numbers of ls -i and ls -s before it, device numbers in
// place of the size, sizes with a unit ("33.5k") or run into a long group
// name, the date forms of ListingDates.h or no date at all, and
// "link -> target" for symbolic links.
// The line's fields are searched for the leftmost size followed by a date.
std::optional<FtpEntry> parseUnixLine(QByteArrayView line, const YearlessDates& yearless,
                                      FtpNameEncoding encoding);

} // namespace FtpListing
