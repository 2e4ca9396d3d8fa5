#include "platform/ftp/listing/ListingNames.h"

#include "platform/ftp/listing/FtpListingParser.h"

#include <cstring>

namespace FtpListing {

void ListingNames::name(FtpEntry& entry, QByteArrayView rawName, NameBytes kind)
{
    if (kind != NameBytes::Ascii) {
        entry.rawName = rawName.toByteArray();
        entry.name = FtpListingParser::decodeName(entry.rawName, encoding_);
        return;
    }
    const qsizetype size = rawName.size();
    entry.rawName =
        QByteArray(bytes_.add(size, [&](char* at) { std::memcpy(at, rawName.data(), size_t(size)); }));
    entry.name = QString(text_.add(size, [&](char16_t* at) {
        for (qsizetype i = 0; i < size; ++i)
            at[i] = static_cast<unsigned char>(rawName[i]);
    }));
}

} // namespace FtpListing
