#include "platform/ftp/listing/FtpListingParser.h"

#include "platform/ftp/listing/DosListLine.h"
#include "platform/ftp/listing/EplfLine.h"
#include "platform/ftp/listing/ListingValues.h"
#include "platform/ftp/listing/MlsxLine.h"
#include "platform/ftp/listing/UnixListLine.h"
#include "platform/shell/LegacyText.h"

namespace FtpListingParser {

namespace {

bool isAscii(const QByteArray& bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

qsizetype lineCount(const QByteArray& body)
{
    qsizetype count = 1;
    for (qsizetype at = body.indexOf('\n'); at >= 0; at = body.indexOf('\n', at + 1))
        ++count;
    return count;
}

// "total 123" heads ls output; it is no entry.
bool isTotalLine(QByteArrayView line)
{
    return line.startsWith("total ");
}

// Without a day to go by, year-less dates refer to this machine's today.
QDate orToday(const QDate& today)
{
    return today.isValid() ? today : QDate::currentDate();
}

std::optional<FtpEntry> parseListLineView(QByteArrayView line, const QDate& today, FtpNameEncoding encoding)
{
    if (line.isEmpty())
        return std::nullopt;
    const char first = line.front();
    if (first == '+')
        return FtpListing::parseEplfLine(line, encoding);
    if (first >= '0' && first <= '9')
        return FtpListing::parseDosLine(line, encoding);
    return FtpListing::parseUnixLine(line, today, encoding);
}

} // namespace

QString decodeName(const QByteArray& raw, FtpNameEncoding encoding)
{
    // Most names are plain ASCII, the same in both encodings; skipping the
    // code-page converter keeps long listings fast.
    if (isAscii(raw))
        return QString::fromLatin1(raw);
    if (encoding == FtpNameEncoding::Utf8)
        return QString::fromUtf8(raw);
    return LegacyText::decode(raw);
}

QByteArray encodeName(const QString& name, FtpNameEncoding encoding)
{
    return encoding == FtpNameEncoding::Utf8 ? name.toUtf8() : LegacyText::encodeLossy(name);
}

std::optional<FtpEntry> parseMlsxLine(const QByteArray& line, FtpNameEncoding encoding)
{
    return FtpListing::parseMlsxLine(FtpListing::withoutLineEnd(line), encoding);
}

std::optional<FtpEntry> parseListLine(const QByteArray& line, const QDate& today, FtpNameEncoding encoding)
{
    return parseListLineView(FtpListing::withoutLineEnd(line), orToday(today), encoding);
}

QList<FtpEntry> parseListing(const QByteArray& body, bool mlsd, const QDate& today, FtpNameEncoding encoding)
{
    const QDate day = orToday(today);
    QList<FtpEntry> entries;
    entries.reserve(lineCount(body));
    const QByteArrayView all(body);
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = all.indexOf('\n', start);
        if (end < 0)
            end = all.size();
        const QByteArrayView line = FtpListing::withoutLineEnd(all.sliced(start, end - start));
        start = end + 1;
        if (line.isEmpty() || (!mlsd && isTotalLine(line)))
            continue;
        auto entry =
            mlsd ? FtpListing::parseMlsxLine(line, encoding) : parseListLineView(line, day, encoding);
        if (entry)
            entries.append(std::move(*entry));
    }
    return entries;
}

} // namespace FtpListingParser
