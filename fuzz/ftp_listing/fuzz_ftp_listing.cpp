// Feeds arbitrary bytes to the listing parsers. The first byte picks the
// parser, the names' encoding, the day that dates without a year refer to and
// the size of the blocks in which the streaming reader gets the listing.
#include "platform/ftp/listing/CommonUnixLine.h"
#include "platform/ftp/listing/FtpListingParser.h"
#include "platform/ftp/listing/FtpListingReader.h"
#include "platform/ftp/listing/ListLine.h"

#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkEntry(const FtpEntry& entry)
{
    check(!entry.rawName.isEmpty());
    check(!entry.rawName.contains('\0') && !entry.rawName.contains('\n') && !entry.rawName.contains('\r'));
    check(!entry.name.isEmpty());
    check(entry.size >= 0);
    check(!entry.isDirectory || entry.size == 0);
}

// The one-pass reading of the common ls line gives what the full search
// gives on every line it takes, remembered dates included.
void checkCommonUnixLines(QByteArrayView body, const QDate& today, FtpNameEncoding encoding)
{
    const FtpListing::YearlessDates yearless(today);
    FtpListing::CommonUnixLines common(yearless, encoding);
    QList<FtpEntry> quick;
    for (qsizetype start = 0; start < body.size();) {
        qsizetype end = body.indexOf('\n', start);
        if (end < 0)
            end = body.size();
        const QByteArrayView line = FtpListing::withoutLineEnd(body.sliced(start, end - start));
        start = end + 1;
        if (common.append(line, quick) == FtpListing::CommonUnixLines::Read::NotCommon)
            continue;
        const FtpEntry& taken = quick.last();
        const auto full = FtpListing::parseListLine(line, yearless, encoding);
        check(full && taken.rawName == full->rawName && taken.name == full->name &&
              taken.size == full->size && taken.isDirectory == full->isDirectory &&
              taken.isSymlink == full->isSymlink && taken.readOnly == full->readOnly &&
              taken.modified == full->modified);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t selector = data[0];
    const QByteArray body(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const bool mlsd = selector & 1;
    const FtpNameEncoding encoding = (selector & 2) ? FtpNameEncoding::Utf8 : FtpNameEncoding::Cp932;
    // Around the turn of a year and a leap day, where year-less dates are delicate.
    const QDate today = (selector & 4) ? QDate(2024, 2, 28) : QDate(2025, 1, 1);

    const QList<FtpEntry> whole = FtpListingParser::parseListing(body, mlsd, today, encoding);
    for (const FtpEntry& entry : whole)
        checkEntry(entry);

    // The same listing in blocks cut anywhere gives the same entries.
    const qsizetype block = 1 + (selector >> 3);
    FtpListingReader reader(mlsd, today, encoding);
    for (qsizetype at = 0; at < body.size(); at += block)
        reader.feed(QByteArrayView(body).sliced(at, qMin(block, body.size() - at)));
    reader.finish();
    const QList<FtpEntry> pieces = reader.takeEntries();
    check(pieces.size() == whole.size());
    for (qsizetype i = 0; i < pieces.size(); ++i)
        check(pieces[i].rawName == whole[i].rawName && pieces[i].size == whole[i].size);
    if (!mlsd)
        checkCommonUnixLines(body, today, encoding);
    if (const auto entry = FtpListingParser::parseListLine(body, today, encoding))
        checkEntry(*entry);
    if (const auto entry = FtpListingParser::parseMlsxLine(body, encoding))
        checkEntry(*entry);
    return 0;
}
