#include "platform/ftp/listing/EplfLine.h"

#include "platform/ftp/listing/ListingValues.h"

namespace FtpListing {

namespace {

// Seconds since 1970 up to the end of year 9999, as far as dates go.
constexpr qint64 kLastUnixTime = 253402300799;

} // namespace

std::optional<FtpEntry> parseEplfLine(QByteArrayView line, FtpNameEncoding encoding)
{
    if (!line.startsWith('+'))
        return std::nullopt;
    const qsizetype tab = line.indexOf('\t');
    if (tab < 0)
        return std::nullopt;
    auto entry = namedEntry(line.sliced(tab + 1), encoding);
    if (!entry)
        return std::nullopt;

    QByteArrayView facts = line.sliced(1, tab - 1);
    while (!facts.isEmpty()) {
        qsizetype comma = facts.indexOf(',');
        if (comma < 0)
            comma = facts.size();
        const QByteArrayView fact = facts.first(comma);
        facts = facts.sliced(qMin(comma + 1, facts.size()));
        if (fact.isEmpty())
            continue;
        const QByteArrayView value = fact.sliced(1);
        switch (fact.front()) {
        case '/':
            entry->isDirectory = true;
            break;
        case 's':
            entry->size = parseCount(value).value_or(0);
            break;
        case 'm':
            // Unix time: the UTC wall clock.
            if (const auto seconds = parseCount(value); seconds && *seconds <= kLastUnixTime)
                entry->modified = QDateTime::fromSecsSinceEpoch(*seconds, Qt::UTC);
            break;
        case 'u':
            // "up644": permission bits in octal; the owner's write bit decides.
            if (value.startsWith('p')) {
                if (const auto mode = parseOctalMode(value.sliced(1)))
                    entry->readOnly = (*mode & 0200) == 0;
            }
            break;
        default:
            break;
        }
    }
    if (entry->isDirectory)
        entry->size = 0;
    return entry;
}

} // namespace FtpListing
