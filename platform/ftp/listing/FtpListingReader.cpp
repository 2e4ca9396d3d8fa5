#include "platform/ftp/listing/FtpListingReader.h"

#include "platform/cpu/VectorState.h"
#include "platform/ftp/listing/CommonUnixLine.h"
#include "platform/ftp/listing/ListLine.h"
#include "platform/ftp/listing/ListingValues.h"
#include "platform/ftp/listing/MlsxLine.h"

#include <cstring>
#include <utility>

namespace {

// Far longer than any line a server writes for one entry (names are at most
// a few hundred bytes); longer lines are not read into memory.
constexpr qsizetype kMaxLineBytes = 64 * 1024;

// "total 123" heads ls output; it is no entry.
bool isTotalLine(QByteArrayView line)
{
    return line.front() == 't' && line.startsWith("total ");
}

} // namespace

FtpListingReader::FtpListingReader(bool mlsd, const QDate& today, FtpNameEncoding encoding,
                                   qsizetype maxEntries)
    : mlsd_(mlsd), yearless_(today.isValid() ? today : QDate::currentDate()), encoding_(encoding),
      common_(yearless_, encoding), maxEntries_(maxEntries)
{
}

bool FtpListingReader::feed(QByteArrayView bytes)
{
    // TLS work between blocks may have left the wide vector registers in use,
    // which slows the parsers' own vector code by half.
    clearWideVectorState();
    qsizetype start = 0;
    while (start < bytes.size() && entries_.size() <= maxEntries_) {
        const auto* newline =
            static_cast<const char*>(std::memchr(bytes.data() + start, '\n', size_t(bytes.size() - start)));
        const qsizetype end = newline ? newline - bytes.data() : -1;
        const QByteArrayView piece = bytes.sliced(start, (end < 0 ? bytes.size() : end) - start);
        start = end < 0 ? bytes.size() : end + 1;
        if (skippingLongLine_ || partial_.size() + piece.size() > kMaxLineBytes) {
            partial_.clear();
            skippingLongLine_ = end < 0;
            continue;
        }
        if (end < 0) {
            partial_.append(piece);
            break;
        }
        if (partial_.isEmpty()) {
            readLine(piece);
        } else {
            partial_.append(piece);
            readLine(partial_);
            partial_.clear();
        }
    }
    return entries_.size() <= maxEntries_;
}

bool FtpListingReader::finish()
{
    if (!partial_.isEmpty() && entries_.size() <= maxEntries_)
        readLine(partial_);
    partial_.clear();
    skippingLongLine_ = false;
    return entries_.size() <= maxEntries_;
}

void FtpListingReader::readLine(QByteArrayView line)
{
    line = FtpListing::withoutLineEnd(line);
    if (line.isEmpty() || (!mlsd_ && isTotalLine(line)))
        return;
    if (!mlsd_) {
        switch (common_.append(line, entries_)) {
        case FtpListing::CommonUnixLines::Read::AsciiName:
            return;
        case FtpListing::CommonUnixLines::Read::OtherName:
            allNamesAscii_ = false;
            return;
        case FtpListing::CommonUnixLines::Read::NotCommon:
            break;
        }
    }
    auto entry = mlsd_ ? FtpListing::parseMlsxLine(line, encoding_)
                       : FtpListing::parseListLine(line, yearless_, encoding_);
    if (!entry)
        return;
    // Checked while the name is fresh in the cache, not in a second walk over the list.
    allNamesAscii_ = allNamesAscii_ && FtpListing::isAscii(entry->rawName);
    entries_.append(std::move(*entry));
}

QList<FtpEntry> FtpListingReader::takeEntries()
{
    allNamesAscii_ = true;
    return std::exchange(entries_, QList<FtpEntry>());
}
