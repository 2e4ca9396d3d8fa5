#include "platform/ftp/listing/CommonUnixLine.h"

#include "platform/ftp/listing/DateWords.h"
#include "platform/ftp/listing/FieldReader.h"
#include "platform/ftp/listing/UnixListEntry.h"

#include <cstring>

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

bool CommonUnixLines::readDate(QByteArrayView dateText, QByteArrayView monthText, QByteArrayView dayText,
                               QByteArrayView timeText)
{
    if (dateText.size() == lastDateSize_ &&
        std::memcmp(dateText.data(), lastDateText_.data(), size_t(lastDateSize_)) == 0)
        return true;
    const auto month = parseEnglishMonth(monthText);
    const auto day = month ? parseSmallNumber(dayText, 1, 31) : std::nullopt;
    if (!day)
        return false;
    WallTime modified;
    if (const auto clock = timeText.size() == 5 ? parseClock(timeText) : std::nullopt)
        modified = yearless_.resolve(*month, *day, *clock);
    else if (const auto year = parseYear(timeText))
        modified = WallTime::of(*year, *month, *day);
    else
        return false;
    lastDate_ = modified.toDateTime();
    const bool kept = dateText.size() <= qsizetype(lastDateText_.size());
    lastDateSize_ = kept ? dateText.size() : 0;
    if (kept)
        std::memcpy(lastDateText_.data(), dateText.data(), size_t(lastDateSize_));
    return true;
}

CommonUnixLines::Read CommonUnixLines::append(QByteArrayView line, QList<FtpEntry>& entries)
{
    // The ten mode letters and a blank: no ACL mark, no ls -i or -s numbers.
    if (line.size() <= kModeLength || !isBlank(line[kModeLength]))
        return Read::NotCommon;
    const QByteArrayView mode = line.first(kModeLength);
    const char type = mode[0];
    if ((type != '-' && type != 'd' && type != 'l') || !isUnixMode(mode))
        return Read::NotCommon;

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
        return Read::NotCommon;
    const auto size = parseCount(sizeText);
    if (!size || monthText.isEmpty())
        return Read::NotCommon;
    const QByteArrayView dateText(monthText.data(), line.data() + time.end - monthText.data());
    if (!readDate(dateText, monthText, dayText, time.text))
        return Read::NotCommon;
    const QByteArrayView rawName = unixEntryName(mode, reader.restAfter(time.end));
    const NameBytes kind = classifyName(rawName);
    if (kind == NameBytes::Unusable)
        return Read::NotCommon;

    FtpEntry& entry = entries.emplaceBack();
    names_.name(entry, rawName, kind);
    entry.isDirectory = type == 'd';
    entry.isSymlink = type == 'l';
    entry.readOnly = mode[2] != 'w';
    entry.modified = lastDate_;
    if (!entry.isDirectory)
        entry.size = *size;
    return kind == NameBytes::Ascii ? Read::AsciiName : Read::OtherName;
}

} // namespace FtpListing
