#include "platform/ftp/listing/DosListLine.h"

#include "platform/ftp/listing/FieldReader.h"
#include "platform/ftp/listing/ListingValues.h"

namespace FtpListing {

namespace {

std::optional<int> twoDigits(QByteArrayView text, int min, int max)
{
    return text.size() == 2 ? parseSmallNumber(text, min, max) : std::nullopt;
}

// "MM-DD-YY" and "MM-DD-YYYY" of IIS, "MM/DD/YYYY" of dir in the US,
// "DD.MM.YYYY" of dir in Europe, "YYYY-MM-DD" and "YYYY/MM/DD" of dir elsewhere.
QDate parseDosDate(QByteArrayView text)
{
    if (text.size() == 10 && (text[4] == '-' || text[4] == '/') && text[7] == text[4]) {
        const auto year = parseYear(text.first(4));
        const auto month = twoDigits(text.sliced(5, 2), 1, 12);
        const auto day = twoDigits(text.sliced(8, 2), 1, 31);
        return year && month && day ? QDate(*year, *month, *day) : QDate();
    }
    if ((text.size() != 8 && text.size() != 10) || text[2] != text[5] ||
        (text[2] != '-' && text[2] != '/' && text[2] != '.'))
        return {};
    const bool dayFirst = text[2] == '.';
    const auto month = twoDigits(text.sliced(dayFirst ? 3 : 0, 2), 1, 12);
    const auto day = twoDigits(text.sliced(dayFirst ? 0 : 3, 2), 1, 31);
    const QByteArrayView yearText = text.sliced(6);
    const auto year = yearText.size() == 4 ? parseYear(yearText) : twoDigits(yearText, 0, 99);
    if (!month || !day || !year)
        return {};
    return QDate(yearText.size() == 4 ? *year : fullYear(*year), *month, *day);
}

// "AM"/"PM" in any case; 0 when the text is neither.
char meridiem(QByteArrayView text)
{
    if (text.size() != 2 || (text[1] != 'M' && text[1] != 'm'))
        return 0;
    const char c = text[0];
    if (c == 'A' || c == 'a')
        return 'A';
    if (c == 'P' || c == 'p')
        return 'P';
    return 0;
}

// 12 AM is midnight and 12 PM is noon.
std::optional<int> twelveHour(int secondsOfDay, char half)
{
    constexpr int kHour = 60 * 60;
    const int hour = secondsOfDay / kHour;
    if (hour < 1 || hour > 12)
        return std::nullopt;
    return (hour % 12 + (half == 'P' ? 12 : 0)) * kHour + secondsOfDay % kHour;
}

} // namespace

std::optional<FtpEntry> parseDosLine(QByteArrayView line, FtpNameEncoding encoding)
{
    FieldReader reader(line);
    const QDate date = parseDosDate(reader.next().text);
    if (!date.isValid())
        return std::nullopt;

    // The time, with its AM/PM glued on or as a field of its own.
    QByteArrayView timeText = reader.next().text;
    char half = meridiem(timeText.size() > 2 ? timeText.last(2) : QByteArrayView());
    if (half)
        timeText.chop(2);
    auto clock = parseClock(timeText);
    auto field = reader.next();
    if (!half && (half = meridiem(field.text)))
        field = reader.next();
    if (clock && half)
        clock = twelveHour(*clock, half);
    if (!clock)
        return std::nullopt;

    const bool directory = field.text == "<DIR>";
    const auto size = directory ? std::optional<qint64>(0) : parseGroupedCount(field.text);
    if (!size)
        return std::nullopt;
    QByteArrayView name = reader.restAfter(field.end);
    if (directory) {
        // The <DIR> column is padded to the width of the size column.
        while (!name.isEmpty() && isBlank(name.front()))
            name = name.sliced(1);
    }
    auto entry = namedEntry(name, encoding);
    if (!entry)
        return std::nullopt;
    entry->isDirectory = directory;
    entry->size = *size;
    entry->modified = wallClock(date, *clock);
    return entry;
}

} // namespace FtpListing
