#pragma once

#include "platform/ftp/FtpEntry.h"
#include "platform/ftp/listing/ListingNames.h"
#include "platform/ftp/listing/ListingValues.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <array>

namespace FtpListing {

// The "ls -l" line that nearly every Unix server sends, read in one pass:
//   -rw-r--r--    1 owner    group        1234 Mar 15 12:00 name
// (type file, folder or link, English month, a time or a year). Any other
// form, and any line where the search of parseUnixLine could find its date
// elsewhere, is left to parseListLine, so that both read every line alike.
// One reader serves one listing: long listings try it on every line first.
class CommonUnixLines
{
public:
    CommonUnixLines(const YearlessDates& yearless, FtpNameEncoding encoding)
        : yearless_(yearless), names_(encoding)
    {
    }

    enum class Read
    {
        NotCommon, // nothing appended
        AsciiName,
        OtherName
    };
    // Appends the line's entry to entries, built in place.
    Read append(QByteArrayView line, QList<FtpEntry>& entries);

private:
    bool readDate(QByteArrayView dateText, QByteArrayView monthText, QByteArrayView dayText,
                  QByteArrayView timeText);

    YearlessDates yearless_;
    ListingNames names_;
    // Neighbouring lines mostly carry the same date text: its time is
    // worked out once.
    std::array<char, 24> lastDateText_{};
    qsizetype lastDateSize_ = 0;
    QDateTime lastDate_;
};

} // namespace FtpListing
