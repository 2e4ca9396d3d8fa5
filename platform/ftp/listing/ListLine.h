#pragma once

#include "platform/ftp/FtpEntry.h"
#include "platform/ftp/listing/ListingValues.h"

#include <QByteArrayView>
#include <optional>

namespace FtpListing {

// One LIST line (without its line end) of any form the parsers know, chosen
// by its first character.
std::optional<FtpEntry> parseListLine(QByteArrayView line, const YearlessDates& yearless,
                                      FtpNameEncoding encoding);

} // namespace FtpListing
