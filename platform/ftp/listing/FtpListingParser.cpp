#include "platform/ftp/listing/FtpListingParser.h"

#include "platform/shell/LegacyText.h"

namespace FtpListingParser {

QString decodeName(const QByteArray& raw, FtpNameEncoding encoding)
{
    return encoding == FtpNameEncoding::Utf8 ? QString::fromUtf8(raw) : LegacyText::decode(raw);
}

QByteArray encodeName(const QString& name, FtpNameEncoding encoding)
{
    return encoding == FtpNameEncoding::Utf8 ? name.toUtf8() : LegacyText::encodeLossy(name);
}

std::optional<FtpEntry> parseMlsxLine(const QByteArray&, FtpNameEncoding)
{
    return std::nullopt;
}

std::optional<FtpEntry> parseListLine(const QByteArray&, const QDate&, FtpNameEncoding)
{
    return std::nullopt;
}

QList<FtpEntry> parseListing(const QByteArray&, bool, const QDate&, FtpNameEncoding)
{
    return {};
}

} // namespace FtpListingParser
