#include "platform/ftp/listing/UnixListLine.h"

#include "platform/ftp/listing/DateWords.h"
#include "platform/ftp/listing/FieldReader.h"
#include "platform/ftp/listing/ListingDates.h"
#include "platform/ftp/listing/ListingValues.h"
#include "platform/ftp/listing/UnixListEntry.h"

namespace FtpListing {

namespace {

using Field = FieldReader::Field;

// Fields after the mode up to the last one a date can end on: links, owner,
// group (and a domain), device major and minor, then up to four date fields.
constexpr int kMaxFields = 10;
// A plain number is believed as a month only after links, owner and size, so
// that numeric owners are not taken for a date.
constexpr int kFirstNumericMonthField = 3;
// ls -i and ls -s put the inode and the block count before the mode.
constexpr int kMaxNumberPrefixes = 2;

// The field before the date: a size ("1234", "33.5k"), "major, minor" /
// "major,minor" of a device (size 0), or a group name that the size ran into
// when the columns were too narrow ("longgroup123456").
std::optional<qint64> sizeBeforeDate(QByteArrayView text, char type)
{
    if (text.isEmpty())
        return std::nullopt;
    const char last = text.back();
    if (last >= '0' && last <= '9') {
        if (const auto size = parseCount(text))
            return size;
        if (isUnixDevice(type)) {
            const qsizetype comma = text.indexOf(',');
            if (comma > 0 && parseCount(text.first(comma)) && parseCount(text.sliced(comma + 1)))
                return 0;
        }
        qsizetype digits = text.size();
        while (digits > 0 && text[digits - 1] >= '0' && text[digits - 1] <= '9')
            --digits;
        if (digits == 0)
            return std::nullopt;
        const char before = text[digits - 1];
        const bool letter = (before >= 'a' && before <= 'z') || (before >= 'A' && before <= 'Z');
        return letter ? parseCount(text.sliced(digits)) : std::nullopt;
    }
    return parseSize(text);
}

struct SizeAndDate
{
    qint64 size = 0;
    DateFields date;
};

// The leftmost place where a size is followed by a date.
std::optional<SizeAndDate> findSizeAndDate(const Field* fields, int count, char type,
                                           const YearlessDates& yearless)
{
    for (int i = 1; i < count; ++i) {
        const auto size = sizeBeforeDate(fields[i - 1].text, type);
        if (!size)
            continue;
        if (auto date = parseDateAt(fields, count, i, kFirstNumericMonthField, yearless))
            return SizeAndDate{*size, *date};
    }
    return std::nullopt;
}

QByteArrayView nameAfterDate(const FieldReader& reader, const DateFields& date)
{
    QByteArrayView name = reader.restAfter(date.end);
    if (date.gap == NameGap::OnePadBlank && !name.isEmpty() && isBlank(name.front()))
        name = name.sliced(1);
    else if (date.gap == NameGap::AnyBlanks)
        name = withoutLeadingBlanks(name);
    return name;
}

// Some servers leave the date out: "drwxr-xr-x 3 user group 512 name". Taken
// only when links, owner, group and size are all there and what follows does
// not begin like a date.
std::optional<qsizetype> datelessNameStart(const Field* fields, int count, char type, qint64& size)
{
    if (count < 5 || (type != '-' && type != 'd' && type != 'l') || !parseCount(fields[0].text))
        return std::nullopt;
    const auto parsed = parseSize(fields[3].text);
    const QByteArrayView firstWord = fields[4].text;
    if (!parsed || parseCount(firstWord) || parseMonthName(firstWord) || parseClock(firstWord))
        return std::nullopt;
    size = *parsed;
    return fields[3].end;
}

} // namespace

std::optional<FtpEntry> parseUnixLine(QByteArrayView line, const YearlessDates& yearless,
                                      FtpNameEncoding encoding)
{
    FieldReader reader(line);
    QByteArrayView mode = reader.next().text;
    for (int prefix = 0; prefix < kMaxNumberPrefixes && !isUnixMode(mode) && parseSize(mode); ++prefix)
        mode = reader.next().text;
    if (!isUnixMode(mode))
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
    QByteArrayView name;
    qint64 size = 0;
    WallTime modified;
    if (const auto found = findSizeAndDate(fields, count, type, yearless)) {
        name = nameAfterDate(reader, found->date);
        size = found->size;
        modified = found->date.time;
    } else if (const auto start = datelessNameStart(fields, count, type, size)) {
        name = reader.restAfter(*start);
    } else {
        return std::nullopt;
    }
    auto entry = namedEntry(unixEntryName(mode, name), encoding);
    if (entry)
        describeUnixEntry(*entry, mode, size, modified);
    return entry;
}

} // namespace FtpListing
