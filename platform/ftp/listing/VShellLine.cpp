#include "platform/ftp/listing/VShellLine.h"

#include "platform/ftp/listing/DateWords.h"
#include "platform/ftp/listing/FieldReader.h"
#include "platform/ftp/listing/ListingValues.h"

namespace FtpListing {

std::optional<FtpEntry> parseVShellLine(QByteArrayView line, FtpNameEncoding encoding)
{
    FieldReader reader(line);
    const auto size = parseCount(reader.next().text);
    const auto month = size ? parseMonthName(reader.next().text) : std::nullopt;
    if (!month)
        return std::nullopt;
    const QByteArrayView dayText = reader.next().text;
    const auto day =
        dayText.endsWith(',') ? parseSmallNumber(dayText.first(dayText.size() - 1), 1, 31) : std::nullopt;
    const auto year = day ? parseYear(reader.next().text) : std::nullopt;
    const auto clockField = reader.next();
    const auto clock = year ? parseClock(clockField.text) : std::nullopt;
    if (!clock)
        return std::nullopt;
    QByteArrayView name = reader.restAfter(clockField.end);
    const bool directory = name.size() > 1 && name.endsWith('/');
    if (directory)
        name.chop(1);
    auto entry = namedEntry(name, encoding);
    if (!entry)
        return std::nullopt;
    entry->isDirectory = directory;
    entry->size = directory ? 0 : *size;
    entry->modified = wallClock(QDate(*year, *month, *day), *clock);
    return entry;
}

} // namespace FtpListing
