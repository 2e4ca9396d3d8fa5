#pragma once

#include "platform/ftp/FtpEntry.h"

#include <QByteArrayView>
#include <optional>

namespace FtpListing {

// One line of the DOS-style listing of Windows servers: IIS's
// "01-31-24  12:00PM       <DIR>          name" and the forms of dir in other
// locales, "2002-09-02  18:48    9,730 name", "2002/09/02", "09/02/2002",
// "02.09.2002"; two- or four-digit years, 12-hour times with AM/PM or 24-hour
// times, sizes with or without thousands separators.
std::optional<FtpEntry> parseDosLine(QByteArrayView line, FtpNameEncoding encoding);

} // namespace FtpListing
