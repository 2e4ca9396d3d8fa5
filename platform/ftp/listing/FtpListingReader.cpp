#include "platform/ftp/listing/FtpListingReader.h"

#include "platform/ftp/listing/ListLine.h"
#include "platform/ftp/listing/ListingValues.h"
#include "platform/ftp/listing/MlsxLine.h"

namespace {

constexpr qsizetype kChunkEntries = 4096;
// Far longer than any line a server writes for one entry (names are at most
// a few hundred bytes); longer lines are not read into memory.
constexpr qsizetype kMaxLineBytes = 64 * 1024;

// "total 123" heads ls output; it is no entry.
bool isTotalLine(QByteArrayView line)
{
    return line.startsWith("total ");
}

} // namespace

FtpListingReader::FtpListingReader(bool mlsd, const QDate& today, FtpNameEncoding encoding,
                                   qsizetype maxEntries)
    : mlsd_(mlsd), yearless_(today.isValid() ? today : QDate::currentDate()), encoding_(encoding),
      maxEntries_(maxEntries)
{
}

bool FtpListingReader::feed(QByteArrayView bytes)
{
    qsizetype start = 0;
    while (start < bytes.size() && count_ <= maxEntries_) {
        const qsizetype end = bytes.indexOf('\n', start);
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
    return count_ <= maxEntries_;
}

bool FtpListingReader::finish()
{
    if (!partial_.isEmpty() && count_ <= maxEntries_)
        readLine(partial_);
    partial_.clear();
    skippingLongLine_ = false;
    return count_ <= maxEntries_;
}

void FtpListingReader::readLine(QByteArrayView line)
{
    line = FtpListing::withoutLineEnd(line);
    if (line.isEmpty() || (!mlsd_ && isTotalLine(line)))
        return;
    auto entry = mlsd_ ? FtpListing::parseMlsxLine(line, encoding_)
                       : FtpListing::parseListLine(line, yearless_, encoding_);
    if (!entry)
        return;
    if (chunks_.empty() || chunks_.back().size() == kChunkEntries) {
        chunks_.emplace_back();
        chunks_.back().reserve(kChunkEntries);
    }
    chunks_.back().append(std::move(*entry));
    ++count_;
}

QList<FtpEntry> FtpListingReader::takeEntries()
{
    QList<FtpEntry> entries;
    entries.reserve(count_);
    for (QList<FtpEntry>& chunk : chunks_) {
        for (FtpEntry& entry : chunk)
            entries.append(std::move(entry));
        chunk = QList<FtpEntry>(); // freed as it is moved, so the two are not held at once
    }
    chunks_.clear();
    count_ = 0;
    return entries;
}
