#include "platform/ftp/listing/ListingDates.h"

#include "platform/ftp/listing/DateWords.h"
#include "platform/ftp/listing/ListingValues.h"

namespace FtpListing {

namespace {

using Field = FieldReader::Field;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

qsizetype leadingDigits(QByteArrayView text)
{
    qsizetype count = 0;
    while (count < text.size() && isDigit(text[count]))
        ++count;
    return count;
}

std::optional<int> unitValue(QByteArrayView text, DateUnit unit, int min, int max)
{
    const auto number = parseUnitNumber(text);
    if (!number || (number->unit != DateUnit::None && number->unit != unit) || number->value < min ||
        number->value > max)
        return std::nullopt;
    return number->value;
}

// A day of the month, with the day character of CJK dates or the "." of
// German ones; a trailing comma is reported (VShell writes "Oct 08, 2002").
std::optional<int> parseDayField(QByteArrayView text, bool* comma = nullptr)
{
    if (text.endsWith(',')) {
        if (!comma)
            return std::nullopt;
        *comma = true;
        text.chop(1);
    } else if (text.endsWith('.')) {
        text.chop(1);
    }
    return unitValue(text, DateUnit::Day, 1, 31);
}

std::optional<int> parseYearField(QByteArrayView text)
{
    return unitValue(text, DateUnit::Year, 1900, 9999);
}

std::optional<int> parseMonthField(QByteArrayView text, bool plainNumber)
{
    if (text.isEmpty())
        return std::nullopt;
    if (!isDigit(text[0]))
        return parseMonthName(text);
    const auto number = parseUnitNumber(text);
    if (!number || number->value < 1 || number->value > 12)
        return std::nullopt;
    if (number->unit == DateUnit::Month || (number->unit == DateUnit::None && plainNumber))
        return number->value;
    return std::nullopt;
}

// After day and month: a clock time (this year or the last) or a year.
std::optional<DateFields> timeOrYear(int month, int day, const Field& last, const YearlessDates& yearless)
{
    if (const auto clock = parseClock(last.text))
        return DateFields{yearless.resolve(month, day, *clock), last.end};
    if (const auto year = parseYearField(last.text))
        return DateFields{WallTime::of(*year, month, day), last.end};
    return std::nullopt;
}

// "Jan 31 12:00", "Jan 31  2020", "4月 18日 2003年", "Oct 08, 2002 09:47"
std::optional<DateFields> monthFirst(const Field* fields, int count, int at, bool plainMonth,
                                     const YearlessDates& yearless)
{
    if (at + 2 >= count)
        return std::nullopt;
    // Most fields tried here are owners, groups and sizes: leave numbers early.
    const QByteArrayView monthText = fields[at].text;
    const qsizetype digits = leadingDigits(monthText);
    if (digits > 2 || (digits == monthText.size() && !plainMonth))
        return std::nullopt;
    bool comma = false;
    // The day is the cheaper test, and rules out most fields before a month name is looked up.
    const auto day = parseDayField(fields[at + 1].text, &comma);
    const auto month = day ? parseMonthField(monthText, plainMonth) : std::nullopt;
    if (!month)
        return std::nullopt;
    if (comma) {
        const auto year = parseYearField(fields[at + 2].text);
        if (!year)
            return std::nullopt;
        if (at + 3 < count) {
            if (const auto clock = parseClock(fields[at + 3].text))
                return DateFields{WallTime::of(*year, *month, *day, *clock), fields[at + 3].end};
        }
        return DateFields{WallTime::of(*year, *month, *day), fields[at + 2].end};
    }
    return timeOrYear(*month, *day, fields[at + 2], yearless);
}

// "01 oct 2004", "29 Jul 02:27", "26. Juli, 20:10", "2. Okt. 2003"
std::optional<DateFields> dayFirst(const Field* fields, int count, int at, const YearlessDates& yearless)
{
    const QByteArrayView dayText = fields[at].text;
    if (at + 2 >= count || dayText.size() > 3 || !isDigit(dayText.front()) ||
        isDigit(fields[at + 1].text.front()))
        return std::nullopt;
    const auto day = parseDayField(dayText);
    const auto month = day ? parseMonthName(fields[at + 1].text) : std::nullopt;
    if (!month)
        return std::nullopt;
    return timeOrYear(*month, *day, fields[at + 2], yearless);
}

// "2003年 4月 18日", "2005년 1월 6일 12:00", "2003 3月 20"
std::optional<DateFields> cjkYearFirst(const Field* fields, int count, int at)
{
    if (at + 2 >= count || leadingDigits(fields[at].text) != 4)
        return std::nullopt;
    // The month carries its unit: a plain number there is no such date.
    const QByteArrayView monthText = fields[at + 1].text;
    const qsizetype monthDigits = leadingDigits(monthText);
    if (monthDigits == 0 || monthDigits == monthText.size())
        return std::nullopt;
    const auto year = parseYearField(fields[at].text);
    const auto month = year ? parseUnitNumber(fields[at + 1].text) : std::nullopt;
    if (!month || month->unit != DateUnit::Month || month->value < 1 || month->value > 12)
        return std::nullopt;
    const auto day = parseDayField(fields[at + 2].text);
    if (!day)
        return std::nullopt;
    if (at + 3 < count) {
        if (const auto clock = parseClock(fields[at + 3].text))
            return DateFields{WallTime::of(*year, month->value, *day, *clock), fields[at + 3].end};
    }
    return DateFields{WallTime::of(*year, month->value, *day), fields[at + 2].end};
}

struct NumericDate
{
    int year = 0;
    int month = 0;
    int day = 0;
    bool iso = false; // "YYYY-MM-DD"

    WallTime at(int secondsOfDay = 0) const { return WallTime::of(year, month, day, secondsOfDay); }
};

std::optional<int> twoDigits(QByteArrayView text, int min, int max)
{
    return text.size() == 2 ? parseSmallNumber(text, min, max) : std::nullopt;
}

// "2024-01-31", "2003/04/18", "2004.07.15", "24-04-2003", "24.04.2003", "01-jun-99"
std::optional<NumericDate> parseNumericDate(QByteArrayView text)
{
    if (text.size() == 10 && (text[4] == '-' || text[4] == '/' || text[4] == '.') && text[7] == text[4]) {
        const auto year = parseYear(text.first(4));
        const auto month = twoDigits(text.sliced(5, 2), 1, 12);
        const auto day = twoDigits(text.sliced(8, 2), 1, 31);
        if (!year || !month || !day)
            return std::nullopt;
        return NumericDate{*year, *month, *day, text[4] == '-'};
    }
    if (text.size() == 10 && (text[2] == '-' || text[2] == '.') && text[5] == text[2]) {
        const auto first = twoDigits(text.first(2), 1, 31);
        const auto second = twoDigits(text.sliced(3, 2), 1, 31);
        const auto year = parseYear(text.sliced(6));
        if (!first || !second || !year)
            return std::nullopt;
        // Day first, as European servers write it, unless only the other order makes sense.
        if (*second > 12 && *first <= 12)
            return NumericDate{*year, *first, *second};
        return NumericDate{*year, *second, *first};
    }
    // "01-jun-99", "1-Jun-1999"
    const qsizetype dash = text.indexOf('-');
    const qsizetype secondDash = dash > 0 ? text.indexOf('-', dash + 1) : -1;
    if (secondDash < 0)
        return std::nullopt;
    const auto day = parseSmallNumber(text.first(dash), 1, 31);
    const auto month = day ? parseMonthName(text.sliced(dash + 1, secondDash - dash - 1)) : std::nullopt;
    const QByteArrayView yearText = text.sliced(secondDash + 1);
    if (!month)
        return std::nullopt;
    if (const auto year = parseYear(yearText))
        return NumericDate{*year, *month, *day};
    if (const auto shortYear = twoDigits(yearText, 0, 99))
        return NumericDate{fullYear(*shortYear), *month, *day};
    return std::nullopt;
}

// "+0900" of --full-time listings: ignored, times stay as listed.
bool isZoneOffset(QByteArrayView text)
{
    return text.size() == 5 && (text[0] == '+' || text[0] == '-') && parseCount(text.sliced(1));
}

std::optional<DateFields> numericFirst(const Field* fields, int count, int at, const YearlessDates& yearless)
{
    const QByteArrayView text = fields[at].text;
    // "09-26" and the dates of 7 ("1-jun-99") to 12 characters ("01-june-1999") only.
    if (!isDigit(text.front()) || (text.size() != 5 && (text.size() < 7 || text.size() > 12)))
        return std::nullopt;
    // "09-26 13:45" and "09-26 2000": GNU's iso style for recent files, and its relatives.
    if (text.size() == 5 && text[2] == '-') {
        const auto month = twoDigits(text.first(2), 1, 12);
        const auto day = twoDigits(text.sliced(3), 1, 31);
        if (!month || !day || at + 1 >= count)
            return std::nullopt;
        return timeOrYear(*month, *day, fields[at + 1], yearless);
    }
    const auto numeric = parseNumericDate(text);
    if (!numeric)
        return std::nullopt;
    if (at + 1 < count) {
        if (const auto clock = parseClock(fields[at + 1].text)) {
            const bool zone = numeric->iso && at + 2 < count && isZoneOffset(fields[at + 2].text);
            return DateFields{numeric->at(*clock), fields[at + (zone ? 2 : 1)].end};
        }
    }
    return DateFields{numeric->at(), fields[at].end,
                      numeric->iso ? NameGap::OnePadBlank : NameGap::AnyBlanks};
}

} // namespace

std::optional<DateFields> parseDateAt(const Field* fields, int count, int at, int firstNumericMonth,
                                      const YearlessDates& yearless)
{
    if (at >= count || fields[at].text.isEmpty())
        return std::nullopt;
    if (auto date = monthFirst(fields, count, at, at >= firstNumericMonth, yearless))
        return date;
    if (auto date = dayFirst(fields, count, at, yearless))
        return date;
    if (auto date = numericFirst(fields, count, at, yearless))
        return date;
    return cjkYearFirst(fields, count, at);
}

} // namespace FtpListing
