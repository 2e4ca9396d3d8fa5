#include "platform/ftp/listing/CommonUnixLine.h"

#include "platform/ftp/listing/DateWords.h"
#include "platform/ftp/listing/FieldReader.h"
#include "platform/ftp/listing/UnixListEntry.h"

namespace FtpListing {

namespace {

constexpr qsizetype kModeLength = 10;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isNumber(QByteArrayView text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

bool isWord(QByteArrayView text)
{
    return !text.isEmpty() && !isDigit(text.front());
}

// The full search takes the leftmost date, and one can start at the owner
// when a month name and a day run into a size that reads as a year:
// "jan 10 2048 Mar ..." or "5 mar 2048 Mar ...". Numbers and words that no
// month name is among cannot start a date there, nor at the group before a
// size.
bool ownerAndGroupStartNoDate(QByteArrayView owner, QByteArrayView group)
{
    const bool ownerNumber = isNumber(owner);
    const bool groupNumber = isNumber(group);
    if (ownerNumber && groupNumber)
        return true;
    const bool ownerWord = isWord(owner);
    const bool groupWord = isWord(group);
    if (ownerWord && groupWord)
        return true;
    if (ownerNumber && groupWord)
        return !parseMonthName(group);
    if (ownerWord && groupNumber)
        return !parseMonthName(owner);
    return false; // "3月" and the like: left to the full search
}

} // namespace

std::optional<FtpEntry> parseCommonUnixLine(QByteArrayView line, const YearlessDates& yearless,
                                            FtpNameEncoding encoding)
{
    // The ten mode letters and a blank: no ACL mark, no ls -i or -s numbers.
    if (line.size() <= kModeLength || !isBlank(line[kModeLength]))
        return std::nullopt;
    const QByteArrayView mode = line.first(kModeLength);
    if ((mode[0] != '-' && mode[0] != 'd' && mode[0] != 'l') || !isUnixMode(mode))
        return std::nullopt;

    FieldReader reader(line);
    reader.next(); // the mode
    const QByteArrayView links = reader.next().text;
    const QByteArrayView owner = reader.next().text;
    const QByteArrayView group = reader.next().text;
    const QByteArrayView sizeText = reader.next().text;
    const QByteArrayView monthText = reader.next().text;
    const QByteArrayView dayText = reader.next().text;
    const FieldReader::Field time = reader.next();
    if (!isNumber(links) || !ownerAndGroupStartNoDate(owner, group))
        return std::nullopt;
    const auto size = parseCount(sizeText);
    const auto month = size ? parseEnglishMonth(monthText) : std::nullopt;
    const auto day = month ? parseSmallNumber(dayText, 1, 31) : std::nullopt;
    if (!day)
        return std::nullopt;
    WallTime modified;
    if (const auto clock = time.text.size() == 5 ? parseClock(time.text) : std::nullopt)
        modified = yearless.resolve(*month, *day, *clock);
    else if (const auto year = parseYear(time.text))
        modified = WallTime::of(*year, *month, *day);
    else
        return std::nullopt;
    return unixEntry(mode, reader.restAfter(time.end), *size, modified, encoding);
}

} // namespace FtpListing
