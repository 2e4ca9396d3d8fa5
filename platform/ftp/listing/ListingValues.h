#pragma once

#include "platform/ftp/FtpEntry.h"

#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <limits>
#include <optional>

// Small readers for the values that listing formats share: counts, sizes,
// clock times, dates and names. Each checks its whole input and gives nothing
// for anything it does not fully understand.
namespace FtpListing {

constexpr int kSecondsPerDay = 24 * 60 * 60;

// Decimal digits only, at least one, no overflow.
std::optional<qint64> parseCount(QByteArrayView digits);

// No byte above 0x7F: the same text in every encoding a server may use.
bool isAscii(QByteArrayView bytes);

// A size as ls variants print it: digits, or a decimal number with a binary
// unit suffix ("33.5k", "12M", "1.5G": powers of 1024).
std::optional<qint64> parseSize(QByteArrayView text);

// Digits in groups of three separated by ',' or '.' as Windows dir prints
// sizes ("9,730", "1.234.567"); plain digits too.
std::optional<qint64> parseGroupedCount(QByteArrayView text);

// Permission bits written in octal ("644", "0755", "0100644").
std::optional<int> parseOctalMode(QByteArrayView digits);

// A number of one or two digits in [min, max].
std::optional<int> parseSmallNumber(QByteArrayView text, int min, int max);

// A four-digit year from 1900 on.
std::optional<int> parseYear(QByteArrayView text);

// Two-digit years: 70..99 are the 1900s, the rest this century.
int fullYear(int twoDigitYear);

// "hh:mm", "hh:mm:ss" or "hh:mm:ss.fraction" in 24-hour form, as seconds of
// the day. "24:00" (and "24:00:00") is the end of the day: 86400.
std::optional<int> parseClock(QByteArrayView text);

// A wall-clock time as milliseconds since 1970 on the listing's clock (no
// zone), or no time. Cheap to pass around while a line is read; the entry's
// QDateTime is made once.
class WallTime
{
public:
    WallTime() = default;
    // No time when the date does not exist (30 February). secondsOfDay 86400
    // is midnight at the end of the date.
    static WallTime of(int year, int month, int day, int secondsOfDay = 0);

    bool isValid() const { return msecs_ != kNone; }
    QDateTime toDateTime() const;

private:
    static constexpr qint64 kNone = std::numeric_limits<qint64>::min();
    qint64 msecs_ = kNone;
};

// A listing without a year means the last twelve months: this year, or the
// previous one when the date would lie more than a day after today. Worked
// out once per listing from today's date.
class YearlessDates
{
public:
    explicit YearlessDates(const QDate& today);
    WallTime resolve(int month, int day, int secondsOfDay) const;

private:
    int year_;
    int latest_; // month * 32 + day of the day after today; past December on 31 December
};

// Times are kept as the listing gives them. They are held as UTC so that no
// time zone or daylight-saving rule of this machine shifts or drops them.
// secondsOfDay 86400 is midnight at the end of the date.
QDateTime wallClock(const QDate& date, int secondsOfDay = 0);

// An entry named by the raw bytes of the listing, decoded in the session's
// encoding; nothing when the name is empty or cannot be sent back to the
// server (NUL, CR or LF inside).
std::optional<FtpEntry> namedEntry(QByteArrayView rawName, FtpNameEncoding encoding);

enum class NameBytes
{
    Unusable, // empty, or NUL, CR or LF inside: no entry
    Ascii,    // the same text in every encoding
    Other
};
NameBytes classifyName(QByteArrayView rawName);

// Strips the line end (LF, CR LF or a lone CR) from a single line.
QByteArrayView withoutLineEnd(QByteArrayView line);

QByteArrayView withoutLeadingBlanks(QByteArrayView text);

} // namespace FtpListing
