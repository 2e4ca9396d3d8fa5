#include "platform/ftp/listing/DosListLine.h"

#include "platform/ftp/listing/FieldReader.h"
#include "platform/ftp/listing/ListingValues.h"

namespace FtpListing {

namespace {

// Two-digit years: 70..99 are the 1900s, the rest this century.
constexpr int kCenturyPivot = 70;

// "MM-DD-YY" or "MM-DD-YYYY"
QDate parseDosDate(QByteArrayView text)
{
    if ((text.size() != 8 && text.size() != 10) || text[2] != '-' || text[5] != '-')
        return {};
    const auto month = parseCount(text.first(2));
    const auto day = parseCount(text.sliced(3, 2));
    const auto year = parseCount(text.sliced(6));
    if (!month || !day || !year)
        return {};
    int fullYear = int(*year);
    if (text.size() == 8)
        fullYear += fullYear < kCenturyPivot ? 2000 : 1900;
    return QDate(fullYear, int(*month), int(*day));
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
std::optional<QTime> twelveHour(const QTime& clock, char half)
{
    if (clock.hour() < 1 || clock.hour() > 12)
        return std::nullopt;
    const int hour = clock.hour() % 12 + (half == 'P' ? 12 : 0);
    return QTime(hour, clock.minute(), clock.second());
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
    const auto size = directory ? std::optional<qint64>(0) : parseCount(field.text);
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
