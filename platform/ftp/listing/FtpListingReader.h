#pragma once

#include "platform/ftp/FtpEntry.h"
#include "platform/ftp/listing/CommonUnixLine.h"
#include "platform/ftp/listing/ListingValues.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <limits>

// Turns a listing into entries while its bytes arrive, line by line: the body
// is never held whole, only the line that the end of a block cut. Lines no
// parser understands, "total N" lines and lines longer than any real entry
// are skipped.
class FtpListingReader
{
public:
    // mlsd selects the MLSD parser; today (this machine's when invalid)
    // decides the year of year-less dates.
    FtpListingReader(bool mlsd, const QDate& today, FtpNameEncoding encoding,
                     qsizetype maxEntries = std::numeric_limits<qsizetype>::max());

    // False once the listing holds more than maxEntries entries: the caller
    // stops reading and fails the listing.
    bool feed(QByteArrayView bytes);
    // Reads the last line when the listing does not end with a line end.
    bool finish();

    qsizetype count() const { return entries_.size(); }
    // Whether every name read since the last takeEntries() is plain ASCII:
    // such names are the same bytes in every encoding.
    bool allNamesAscii() const { return allNamesAscii_; }
    QList<FtpEntry> takeEntries();

private:
    void readLine(QByteArrayView line);

    bool mlsd_;
    FtpListing::YearlessDates yearless_;
    FtpNameEncoding encoding_;
    FtpListing::CommonUnixLines common_;
    qsizetype maxEntries_;
    QByteArray partial_;
    bool skippingLongLine_ = false;
    // Grows by reallocation (FtpEntry is relocatable): no entry is moved one
    // by one, and a large list's pages are remapped, not copied.
    QList<FtpEntry> entries_;
    bool allNamesAscii_ = true;
};
