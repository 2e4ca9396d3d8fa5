#include "platform/ftp/listing/FtpListingParser.h"

#include "platform/ftp/listing/DosListLine.h"
#include "platform/ftp/listing/EplfLine.h"
#include "platform/ftp/listing/FtpListingReader.h"
#include "platform/ftp/listing/ListLine.h"
#include "platform/ftp/listing/ListingValues.h"
#include "platform/ftp/listing/MlsxLine.h"
#include "platform/ftp/listing/NumericModeLine.h"
#include "platform/ftp/listing/UnixListLine.h"
#include "platform/ftp/listing/VShellLine.h"
#include "platform/text/LegacyText.h"

namespace FtpListingParser {

namespace {

// Without a day to go by, year-less dates refer to this machine's today.
QDate orToday(const QDate& today)
{
    return today.isValid() ? today : QDate::currentDate();
}

} // namespace

QString decodeName(const QByteArray& raw, FtpNameEncoding encoding)
{
    // Most names are plain ASCII, the same in both encodings; skipping the
    // code-page converter keeps long listings fast.
    if (FtpListing::isAscii(raw))
        return QString::fromLatin1(raw);
    if (encoding == FtpNameEncoding::Utf8)
        return QString::fromUtf8(raw);
    return LegacyText::decode(raw);
}

QByteArray encodeName(const QString& name, FtpNameEncoding encoding)
{
    return encoding == FtpNameEncoding::Utf8 ? name.toUtf8() : LegacyText::encodeLossy(name);
}

std::optional<FtpEntry> parseMlsxLine(QByteArrayView line, FtpNameEncoding encoding)
{
    return FtpListing::parseMlsxLine(FtpListing::withoutLineEnd(line), encoding);
}

std::optional<FtpEntry> parseListLine(QByteArrayView line, const QDate& today, FtpNameEncoding encoding)
{
    return FtpListing::parseListLine(FtpListing::withoutLineEnd(line),
                                     FtpListing::YearlessDates(orToday(today)), encoding);
}

QList<FtpEntry> parseListing(QByteArrayView body, bool mlsd, const QDate& today, FtpNameEncoding encoding)
{
    FtpListingReader reader(mlsd, orToday(today), encoding);
    reader.feed(body);
    reader.finish();
    return reader.takeEntries();
}

} // namespace FtpListingParser

namespace FtpListing {

// The forms that share a first character are tried from the most common on.
std::optional<FtpEntry> parseListLine(QByteArrayView line, const YearlessDates& yearless,
                                      FtpNameEncoding encoding)
{
    if (line.isEmpty())
        return std::nullopt;
    const char first = line.front();
    if (first == '+')
        return parseEplfLine(line, encoding);
    if (first >= '0' && first <= '9') {
        if (auto entry = parseDosLine(line, encoding))
            return entry;
        if (auto entry = parseUnixLine(line, yearless, encoding)) // ls -i, ls -s
            return entry;
        if (auto entry = parseVShellLine(line, encoding))
            return entry;
        return parseNumericModeLine(line, encoding);
    }
    return parseUnixLine(line, yearless, encoding);
}

} // namespace FtpListing
