#pragma once

#include "platform/ftp/FtpEntry.h"

#include <QByteArrayView>
#include <optional>

namespace FtpListing {

// One line of the short listing of older VShell servers: size, date, time and
// name, a directory's name ending in "/" ("206876  Apr 04, 2000 21:06 name",
// "0  Dec 12, 2002 02:13 folder/").
std::optional<FtpEntry> parseVShellLine(QByteArrayView line, FtpNameEncoding encoding);

} // namespace FtpListing
