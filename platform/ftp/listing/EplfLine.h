#pragma once

#include "platform/ftp/FtpEntry.h"

#include <QByteArrayView>
#include <optional>

namespace FtpListing {

// One line of an Easily Parsed LIST Format listing: "+" facts separated by
// commas, a TAB, then the name ("+i8388621.29609,m824255902,/,\tdev").
std::optional<FtpEntry> parseEplfLine(QByteArrayView line, FtpNameEncoding encoding);

} // namespace FtpListing
