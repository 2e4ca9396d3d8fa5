#pragma once

#include "platform/ftp/FtpEntry.h"

#include <QByteArrayView>
#include <optional>

namespace FtpListing {

// One line of the numeric listing some embedded servers send: the st_mode in
// octal with its file type bits, owner, group, size, the modification time in
// seconds since 1970 and the name ("0100644  500  101  12345  123456789  name").
std::optional<FtpEntry> parseNumericModeLine(QByteArrayView line, FtpNameEncoding encoding);

} // namespace FtpListing
