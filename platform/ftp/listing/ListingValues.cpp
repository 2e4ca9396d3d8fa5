#include "platform/ftp/listing/ListingValues.h"

#include "platform/ftp/listing/FieldReader.h"
#include "platform/ftp/listing/FtpListingParser.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace FtpListing {

namespace {

constexpr int kCenturyPivot = 70;
constexpr qint64 kUnixEpochJulianDay = 2440588;
// ls prints at most four digits before a unit; this bound keeps terabytes in range.
constexpr qint64 kMaxUnitCount = 99999;
constexpr qsizetype kSafeCountDigits = 18;

int unitShift(char unit)
{
    switch (unit) {
    case 'k':
    case 'K':
        return 10;
    case 'm':
    case 'M':
        return 20;
    case 'g':
    case 'G':
        return 30;
    case 't':
    case 'T':
        return 40;
    default:
        return -1;
    }
}

} // namespace

std::optional<qint64> parseCount(QByteArrayView digits)
{
    if (digits.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    // Eighteen digits cannot overflow: no test per digit for the counts of every line.
    const bool fits = digits.size() <= kSafeCountDigits;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const int digit = c - '0';
        if (!fits && value > (std::numeric_limits<qint64>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

bool isAscii(QByteArrayView bytes)
{
    constexpr quint64 kHighBits = 0x8080808080808080ULL;
    const char* at = bytes.data();
    const char* const end = at + bytes.size();
    for (; end - at >= qsizetype(sizeof(quint64)); at += sizeof(quint64)) {
        quint64 word;
        std::memcpy(&word, at, sizeof word);
        if (word & kHighBits)
            return false;
    }
    for (; at < end; ++at) {
        if (static_cast<unsigned char>(*at) >= 0x80)
            return false;
    }
    return true;
}

std::optional<qint64> parseSize(QByteArrayView text)
{
    if (text.isEmpty())
        return std::nullopt;
    const int shift = unitShift(text.back());
    if (shift < 0)
        return parseCount(text);
    const QByteArrayView number = text.first(text.size() - 1);
    const qsizetype dot = number.indexOf('.');
    const auto whole = parseCount(dot < 0 ? number : number.first(dot));
    if (!whole || *whole > kMaxUnitCount)
        return std::nullopt;
    qint64 tenths = 0;
    if (dot >= 0) {
        const auto fraction = number.sliced(dot + 1);
        if (fraction.size() != 1 || !parseCount(fraction))
            return std::nullopt;
        tenths = fraction[0] - '0';
    }
    return ((*whole * 10 + tenths) << shift) / 10;
}

std::optional<qint64> parseGroupedCount(QByteArrayView text)
{
    if (text.isEmpty())
        return std::nullopt;
    const char separator = text.contains(',') ? ',' : '.';
    if (!text.contains(separator))
        return parseCount(text);
    qint64 value = 0;
    qsizetype groupStart = 0;
    bool first = true;
    while (groupStart <= text.size()) {
        qsizetype end = text.indexOf(separator, groupStart);
        if (end < 0)
            end = text.size();
        const QByteArrayView group = text.sliced(groupStart, end - groupStart);
        const bool sized = first ? (group.size() >= 1 && group.size() <= 3) : group.size() == 3;
        const auto digits = sized ? parseCount(group) : std::nullopt;
        if (!digits || value > std::numeric_limits<qint64>::max() / 1000 - 1)
            return std::nullopt;
        value = value * 1000 + *digits;
        first = false;
        groupStart = end + 1;
    }
    return value;
}

std::optional<int> parseOctalMode(QByteArrayView digits)
{
    if (digits.isEmpty() || digits.size() > 7)
        return std::nullopt;
    int mode = 0;
    for (char c : digits) {
        if (c < '0' || c > '7')
            return std::nullopt;
        mode = mode * 8 + (c - '0');
    }
    return mode;
}

std::optional<int> parseSmallNumber(QByteArrayView text, int min, int max)
{
    if (text.isEmpty() || text.size() > 2)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < min || value > max)
        return std::nullopt;
    return value;
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

int fullYear(int twoDigitYear)
{
    return twoDigitYear + (twoDigitYear < kCenturyPivot ? 2000 : 1900);
}

std::optional<int> parseClock(QByteArrayView text)
{
    // "hh:mm", the form of nearly every line, read directly.
    if (text.size() == 5 && text[2] == ':') {
        const auto digit = [&](int at) { return text[at] >= '0' && text[at] <= '9' ? text[at] - '0' : -100; };
        const int hour = digit(0) * 10 + digit(1);
        const int minute = digit(3) * 10 + digit(4);
        if (hour < 0 || minute < 0 || minute > 59 || hour > 24 || (hour == 24 && minute != 0))
            return std::nullopt;
        return (hour * 60 + minute) * 60;
    }
    // Fractions of a second ("12:00:00.123456789") are dropped: dates carry seconds.
    const qsizetype dot = text.indexOf('.');
    if (dot >= 0) {
        if (!parseCount(text.sliced(dot + 1)))
            return std::nullopt;
        text = text.first(dot);
    }
    const qsizetype colon = text.indexOf(':');
    if (colon != 1 && colon != 2)
        return std::nullopt;
    const auto hour = parseSmallNumber(text.first(colon), 0, 24);
    const QByteArrayView afterHour = text.sliced(colon + 1);
    if (afterHour.size() != 2 && afterHour.size() != 5)
        return std::nullopt;
    const auto minute = parseSmallNumber(afterHour.first(2), 0, 59);
    int second = 0;
    if (afterHour.size() == 5) {
        if (afterHour[2] != ':')
            return std::nullopt;
        // A leap second is shown as the last second of its minute.
        const auto leap = parseSmallNumber(afterHour.sliced(3), 0, 60);
        if (!leap)
            return std::nullopt;
        second = qMin(*leap, 59);
    }
    if (!hour || !minute || (*hour == 24 && (*minute != 0 || second != 0)))
        return std::nullopt;
    return (*hour * 60 + *minute) * 60 + second;
}

YearlessDates::YearlessDates(const QDate& today) : year_(today.year())
{
    const QDate next = today.addDays(1);
    latest_ = next.year() != year_ ? 13 * 32 : next.month() * 32 + next.day();
}

WallTime YearlessDates::resolve(int month, int day, int secondsOfDay) const
{
    // 29 February goes back to a leap year: a few years at most.
    int year = year_ - (month * 32 + day > latest_ ? 1 : 0);
    for (int tries = 0; tries < 9; ++tries, --year) {
        const WallTime time = WallTime::of(year, month, day, secondsOfDay);
        if (time.isValid())
            return time;
    }
    return {};
}

WallTime WallTime::of(int year, int month, int day, int secondsOfDay)
{
    static constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || secondsOfDay < 0 ||
        secondsOfDay > kSecondsPerDay || day > kDaysInMonth[month - 1] + (month == 2 && leap ? 1 : 0))
        return {};
    // Days since 1970 of a Gregorian date, counted in 400-year eras from
    // 1 March of year 0 so that leap days fall at the end of each year.
    const int shiftedYear = year - (month <= 2 ? 1 : 0);
    const int era = shiftedYear / 400;
    const int yearOfEra = shiftedYear - era * 400;
    const int dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const qint64 days = qint64(era) * 146097 + dayOfEra - 719468;
    WallTime time;
    time.msecs_ = (days * kSecondsPerDay + secondsOfDay) * 1000;
    return time;
}

QDateTime WallTime::toDateTime() const
{
    return isValid() ? QDateTime::fromMSecsSinceEpoch(msecs_, Qt::UTC) : QDateTime();
}

QDateTime wallClock(const QDate& date, int secondsOfDay)
{
    if (!date.isValid() || secondsOfDay < 0 || secondsOfDay > kSecondsPerDay)
        return {};
    // Built from the epoch offset: much cheaper than from date and time, which
    // matters for listings of a million lines.
    const qint64 days = date.toJulianDay() - kUnixEpochJulianDay;
    return QDateTime::fromMSecsSinceEpoch((days * kSecondsPerDay + secondsOfDay) * 1000, Qt::UTC);
}

NameBytes classifyName(QByteArrayView rawName)
{
    if (rawName.isEmpty())
        return NameBytes::Unusable;
    const char* at = rawName.data();
    const char* const end = at + rawName.size();
    // Printable ASCII only, the usual name, eight bytes at a time: no byte is
    // 0x80 or more, and none borrows when 0x20 is taken from each.
    constexpr std::uint64_t kEach = 0x0101010101010101u;
    for (; end - at >= 8; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, at, sizeof word);
        if (((word - 0x20 * kEach) | word) & (0x80 * kEach))
            break;
    }
    bool ascii = true;
    for (char c : QByteArrayView(at, end)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x80) // printable ASCII: nearly every byte of nearly every name
            continue;
        if (c == '\0' || c == '\r' || c == '\n')
            return NameBytes::Unusable;
        ascii = ascii && byte < 0x80;
    }
    return ascii ? NameBytes::Ascii : NameBytes::Other;
}

std::optional<FtpEntry> namedEntry(QByteArrayView rawName, FtpNameEncoding encoding)
{
    const NameBytes kind = classifyName(rawName);
    if (kind == NameBytes::Unusable)
        return std::nullopt;
    // Built in place: the entry is not moved on its way out.
    std::optional<FtpEntry> entry(std::in_place);
    entry->rawName = rawName.toByteArray();
    entry->name = kind == NameBytes::Ascii ? QString::fromLatin1(rawName)
                                           : FtpListingParser::decodeName(entry->rawName, encoding);
    return entry;
}

QByteArrayView withoutLineEnd(QByteArrayView line)
{
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

QByteArrayView withoutLeadingBlanks(QByteArrayView text)
{
    qsizetype at = 0;
    while (at < text.size() && isBlank(text[at]))
        ++at;
    return text.sliced(at);
}

} // namespace FtpListing
