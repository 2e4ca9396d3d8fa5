#include "platform/ftp/listing/ListingValues.h"

#include "platform/ftp/listing/FtpListingParser.h"

#include <cctype>
#include <cstring>
#include <limits>

namespace FtpListing {

namespace {

constexpr char kMonths[12][10] = {"january", "february", "march",     "april",   "may",      "june",
                                  "july",    "august",   "september", "october", "november", "december"};

// Japanese suffixes of localized listings, in both encodings a server may use.
constexpr QByteArrayView kMonthSuffixes[] = {"\xE6\x9C\x88", "\x8C\x8E"}; // 月
constexpr QByteArrayView kDaySuffixes[] = {"\xE6\x97\xA5", "\x93\xFA"};   // 日

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

QByteArrayView withoutSuffix(QByteArrayView text, const QByteArrayView (&suffixes)[2])
{
    for (QByteArrayView suffix : suffixes) {
        if (text.endsWith(suffix))
            return text.first(text.size() - suffix.size());
    }
    return text;
}

std::optional<int> smallNumber(QByteArrayView text, int min, int max)
{
    if (text.isEmpty() || text.size() > 2)
        return std::nullopt;
    const auto value = parseCount(text);
    if (!value || *value < min || *value > max)
        return std::nullopt;
    return int(*value);
}

} // namespace

std::optional<qint64> parseCount(QByteArrayView digits)
{
    if (digits.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const int digit = c - '0';
        if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
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

std::optional<int> parseMonthName(QByteArrayView text)
{
    // Most fields tried here are numbers: leave them at the first character.
    if (text.size() < 3 || text.size() > 9 || !std::isalpha(static_cast<unsigned char>(text[0])))
        return std::nullopt;
    const char first = lower(text[0]), second = lower(text[1]), third = lower(text[2]);
    for (int month = 0; month < 12; ++month) {
        const char* full = kMonths[month];
        if (full[0] != first || full[1] != second || full[2] != third)
            continue;
        // The three-letter form or the full name, nothing in between.
        if (text.size() == 3)
            return month + 1;
        const qsizetype length = qsizetype(std::strlen(full));
        if (text.size() != length)
            return std::nullopt;
        for (qsizetype i = 3; i < length; ++i) {
            if (lower(text[i]) != full[i])
                return std::nullopt;
        }
        return month + 1;
    }
    return std::nullopt;
}

std::optional<int> parseMonthNumber(QByteArrayView text)
{
    return smallNumber(withoutSuffix(text, kMonthSuffixes), 1, 12);
}

std::optional<int> parseDay(QByteArrayView text)
{
    return smallNumber(withoutSuffix(text, kDaySuffixes), 1, 31);
}

std::optional<QTime> parseClock(QByteArrayView text)
{
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
    const auto hour = smallNumber(text.first(colon), 0, 23);
    const QByteArrayView afterHour = text.sliced(colon + 1);
    if (afterHour.size() != 2 && afterHour.size() != 5)
        return std::nullopt;
    const auto minute = smallNumber(afterHour.first(2), 0, 59);
    int second = 0;
    if (afterHour.size() == 5) {
        if (afterHour[2] != ':')
            return std::nullopt;
        // A leap second is shown as the last second of its minute.
        const auto leap = smallNumber(afterHour.sliced(3), 0, 60);
        if (!leap)
            return std::nullopt;
        second = qMin(*leap, 59);
    }
    if (!hour || !minute)
        return std::nullopt;
    return QTime(*hour, *minute, second);
}

QDate resolveYearless(int month, int day, const QDate& today)
{
    const QDate latest = today.addDays(1);
    // 29 February needs a leap year: look back a few years at most.
    for (int year = today.year(); year > today.year() - 9; --year) {
        const QDate date(year, month, day);
        if (date.isValid() && date <= latest)
            return date;
    }
    return {};
}

QDateTime wallClock(const QDate& date, const QTime& time)
{
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::UTC);
}

std::optional<FtpEntry> namedEntry(QByteArrayView rawName, FtpNameEncoding encoding)
{
    if (rawName.isEmpty())
        return std::nullopt;
    for (char c : rawName) {
        if (c == '\0' || c == '\r' || c == '\n')
            return std::nullopt;
    }
    FtpEntry entry;
    entry.rawName = rawName.toByteArray();
    entry.name = FtpListingParser::decodeName(entry.rawName, encoding);
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

} // namespace FtpListing
