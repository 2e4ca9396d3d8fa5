#pragma once

#include "platform/ftp/FtpEntry.h"

#include <QByteArrayView>
#include <QDate>
#include <optional>

namespace FtpListing {

// One line of "ls -l" output as Unix-like servers send it for LIST: with or
// without the group column, numeric owners, ACL marks after the mode, device
// numbers in place of the size, English, numeric and ISO dates, and
// "link -> target" for symbolic links.
std::optional<FtpEntry> parseUnixLine(QByteArrayView line, const QDate& today, FtpNameEncoding encoding);

} // namespace FtpListing
