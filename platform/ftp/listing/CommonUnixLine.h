#pragma once

#include "platform/ftp/FtpEntry.h"
#include "platform/ftp/listing/ListingValues.h"

#include <QByteArrayView>
#include <optional>

namespace FtpListing {

// The "ls -l" line that nearly every Unix server sends, read in one pass:
//   -rw-r--r--    1 owner    group        1234 Mar 15 12:00 name
// (type file, folder or link, English month, a time or a year). Nothing for
// any other form, or any line where the search of parseUnixLineByFields
// could find its date elsewhere: those are left to that search, so that both
// read every line alike.
std::optional<FtpEntry> parseCommonUnixLine(QByteArrayView line, const YearlessDates& yearless,
                                            FtpNameEncoding encoding);

} // namespace FtpListing
