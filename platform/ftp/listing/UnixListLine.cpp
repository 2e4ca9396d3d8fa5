#include "platform/ftp/listing/UnixListLine.h"

#include "platform/ftp/listing/FieldReader.h"
#include "platform/ftp/listing/ListingValues.h"

#include <string_view>

namespace FtpListing {

namespace {

using Field = FieldReader::Field;

// Fields after the mode up to the last one a date can end on: links, owner,
// group, device major and minor, then month, day and time.
constexpr int kMaxFields = 8;
// A numeric month is believed only after links, owner and size, so that
// numeric owners are not taken for a date.
constexpr int kFirstNumericMonthField = 3;

constexpr std::string_view kTypeLetters = "-dlcbpsDn?";
constexpr std::string_view kPermissionLetters = "-rwxsStTlL?";

bool isMode(QByteArrayView text)
{
    if ((text.size() != 10 && text.size() != 11) || kTypeLetters.find(text[0]) == std::string_view::npos)
        return false;
    for (int i = 1; i < 10; ++i) {
        if (kPermissionLetters.find(text[i]) == std::string_view::npos)
            return false;
    }
    // ACL, security context or extended attribute mark.
    return text.size() == 10 || text[10] == '+' || text[10] == '.' || text[10] == '@';
}

bool isDevice(char type)
{
    return type == 'c' || type == 'b';
}

// The field before the date: a size, or "major, minor" / "major,minor" of a device.
bool isSizeField(QByteArrayView text, char type)
{
    if (parseCount(text))
        return true;
    if (!isDevice(type))
        return false;
    const qsizetype comma = text.indexOf(',');
    return comma > 0 && parseCount(text.first(comma)) && parseCount(text.sliced(comma + 1));
}

std::optional<int> parseYear(QByteArrayView text)
{
    if (text.size() != 4)
        return std::nullopt;
    const auto year = parseCount(text);
    if (!year || *year < 1900)
        return std::nullopt;
    return int(*year);
}

// "2024-01-31"
QDate parseIsoDate(QByteArrayView text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return {};
    const auto year = parseYear(text.first(4));
    const auto month = parseCount(text.sliced(5, 2));
    const auto day = parseCount(text.sliced(8, 2));
    if (!year || !month || !day)
        return {};
    return QDate(*year, int(*month), int(*day));
}

// "+0900" of --full-time listings: ignored, times stay as listed.
bool isZoneOffset(QByteArrayView text)
{
    return text.size() == 5 && (text[0] == '+' || text[0] == '-') && parseCount(text.sliced(1));
}

struct DateFields
{
    QDateTime time;
    qsizetype end = 0; // where the last date field ends; the name follows
};

std::optional<DateFields> monthDayDate(const Field* fields, int count, int i, const QDate& today)
{
    if (i + 2 >= count)
        return std::nullopt;
    auto month = parseMonthName(fields[i].text);
    if (!month && i >= kFirstNumericMonthField)
        month = parseMonthNumber(fields[i].text);
    const auto day = month ? parseDay(fields[i + 1].text) : std::nullopt;
    if (!day)
        return std::nullopt;
    const QByteArrayView last = fields[i + 2].text;
    if (const auto clock = parseClock(last))
        return DateFields{wallClock(resolveYearless(*month, *day, today), *clock), fields[i + 2].end};
    if (const auto year = parseYear(last))
        return DateFields{wallClock(QDate(*year, *month, *day), QTime(0, 0)), fields[i + 2].end};
    return std::nullopt;
}

std::optional<DateFields> isoDate(const Field* fields, int count, int i)
{
    const QDate date = parseIsoDate(fields[i].text);
    if (!date.isValid())
        return std::nullopt;
    if (i + 1 < count) {
        if (const auto clock = parseClock(fields[i + 1].text)) {
            const bool zone = i + 2 < count && isZoneOffset(fields[i + 2].text);
            return DateFields{wallClock(date, *clock), fields[i + (zone ? 2 : 1)].end};
        }
    }
    return DateFields{wallClock(date, QTime(0, 0)), fields[i].end};
}

struct SizeAndDate
{
    QByteArrayView size;
    DateFields date;
};

// The leftmost place where a size is followed by a date.
std::optional<SizeAndDate> findSizeAndDate(const Field* fields, int count, char type, const QDate& today)
{
    for (int i = 1; i < count; ++i) {
        auto date = monthDayDate(fields, count, i, today);
        if (!date)
            date = isoDate(fields, count, i);
        if (date && isSizeField(fields[i - 1].text, type))
            return SizeAndDate{fields[i - 1].text, *date};
    }
    return std::nullopt;
}

} // namespace

std::optional<FtpEntry> parseUnixLine(QByteArrayView line, const QDate& today, FtpNameEncoding encoding)
{
    FieldReader reader(line);
    const QByteArrayView mode = reader.next().text;
    if (!isMode(mode))
        return std::nullopt;
    const char type = mode[0];

    Field fields[kMaxFields];
    int count = 0;
    while (count < kMaxFields) {
        fields[count] = reader.next();
        if (fields[count].text.isEmpty())
            break;
        ++count;
    }
    const auto found = findSizeAndDate(fields, count, type, today);
    if (!found)
        return std::nullopt;

    QByteArrayView name = reader.restAfter(found->date.end);
    if (type == 'l') {
        // "name -> target": the entry is the link itself.
        const qsizetype arrow = name.indexOf(" -> ");
        if (arrow >= 0)
            name = name.first(arrow);
    }
    auto entry = namedEntry(name, encoding);
    if (!entry)
        return std::nullopt;
    entry->isDirectory = type == 'd';
    entry->isSymlink = type == 'l';
    entry->readOnly = mode[2] != 'w';
    entry->modified = found->date.time;
    if (!entry->isDirectory && !isDevice(type))
        entry->size = parseCount(found->size).value_or(0);
    return entry;
}

} // namespace FtpListing
