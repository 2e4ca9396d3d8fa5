#include "platform/ftp/listing/NumericModeLine.h"

#include "platform/ftp/listing/FieldReader.h"
#include "platform/ftp/listing/ListingValues.h"

namespace FtpListing {

namespace {

// The file type bits of st_mode.
constexpr int kTypeMask = 0170000;
constexpr int kDirectory = 0040000;
constexpr int kRegular = 0100000;
constexpr int kSymlink = 0120000;
// Seconds since 1970 up to the end of year 9999, as far as dates go.
constexpr qint64 kLastUnixTime = 253402300799;

bool isKnownType(int type)
{
    switch (type) {
    case 0010000: // FIFO
    case 0020000: // character device
    case kDirectory:
    case 0060000: // block device
    case kRegular:
    case kSymlink:
    case 0140000: // socket
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<FtpEntry> parseNumericModeLine(QByteArrayView line, FtpNameEncoding encoding)
{
    FieldReader reader(line);
    const QByteArrayView modeText = reader.next().text;
    const auto mode = modeText.size() >= 6 ? parseOctalMode(modeText) : std::nullopt;
    if (!mode || !isKnownType(*mode & kTypeMask))
        return std::nullopt;
    reader.next(); // owner
    reader.next(); // group
    const auto size = parseCount(reader.next().text);
    const auto timeField = reader.next();
    const auto seconds = size ? parseCount(timeField.text) : std::nullopt;
    if (!seconds || *seconds > kLastUnixTime)
        return std::nullopt;
    // The name is padded to a column.
    auto entry = namedEntry(withoutLeadingBlanks(reader.restAfter(timeField.end)), encoding);
    if (!entry)
        return std::nullopt;
    const int type = *mode & kTypeMask;
    entry->isDirectory = type == kDirectory;
    entry->isSymlink = type == kSymlink;
    entry->readOnly = (*mode & 0200) == 0;
    entry->size = type == kRegular || type == kSymlink ? *size : 0;
    entry->modified = QDateTime::fromSecsSinceEpoch(*seconds, Qt::UTC);
    return entry;
}

} // namespace FtpListing
