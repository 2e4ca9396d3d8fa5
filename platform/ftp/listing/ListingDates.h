#pragma once

#include "platform/ftp/listing/FieldReader.h"
#include "platform/ftp/listing/ListingValues.h"

#include <optional>

namespace FtpListing {

// How the name follows the date.
enum class NameGap
{
    OneBlank,    // one blank separates them; further blanks belong to the name
    OnePadBlank, // GNU's iso style pads a date without time by one blank
    AnyBlanks    // dates of other custom styles are padded to a column
};

struct DateFields
{
    WallTime time;     // invalid when the date as written does not exist (30 February)
    qsizetype end = 0; // offset in the line just past the date's last field
    NameGap gap = NameGap::OneBlank;
};

// The date that starts at fields[at] of an ls line, in the forms servers
// print: "Jan 31 12:00", "Jan 31 2020", "Oct 08, 2002 09:47"; day first
// ("01 oct 2004", "26. Juli, 20:10"); month names of other languages;
// Japanese, Chinese and Korean dates with or without the year/month/day
// characters, month or year first ("4月 18日 2003年", "2005년 1월 6일");
// "2024-01-31 12:00:05.123 +0900", "09-26 13:45", "2003/04/18", "2004.07.15",
// "24-04-2003", "01-jun-99". A time of "24:00" is midnight at the end of the
// day. Dates without a year refer to the twelve months up to today.
//
// A plain number is taken as a month only from field firstNumericMonth on,
// so that numeric owners and groups are not read as dates.
std::optional<DateFields> parseDateAt(const FieldReader::Field* fields, int count, int at,
                                      int firstNumericMonth, const YearlessDates& yearless);

} // namespace FtpListing
