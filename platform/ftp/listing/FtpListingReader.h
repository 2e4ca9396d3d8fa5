#pragma once

#include "platform/ftp/FtpEntry.h"
#include "platform/ftp/listing/ListingValues.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <limits>
#include <vector>

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

    qsizetype count() const { return count_; }
    QList<FtpEntry> takeEntries();

private:
    void readLine(QByteArrayView line);

    bool mlsd_;
    FtpListing::YearlessDates yearless_;
    FtpNameEncoding encoding_;
    qsizetype maxEntries_;
    QByteArray partial_;
    bool skippingLongLine_ = false;
    // Entries in chunks of fixed size: growing one list would copy them all,
    // with old and new storage held at once, every time it filled up.
    std::vector<QList<FtpEntry>> chunks_;
    qsizetype count_ = 0;
};
