#pragma once

#include "platform/ftp/FtpEntry.h"

#include <QByteArrayView>
#include <optional>

namespace FtpListing {

// One line of the DOS-style listing of Windows servers:
// "01-31-24  12:00PM       <DIR>          name" or "01-31-2024  13:05   1234 name",
// two- or four-digit years, 12-hour times with AM/PM or 24-hour times.
std::optional<FtpEntry> parseDosLine(QByteArrayView line, FtpNameEncoding encoding);

} // namespace FtpListing
