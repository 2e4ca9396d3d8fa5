#pragma once

#include "platform/ftp/FtpEntry.h"

#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QTime>
#include <optional>

// Small readers for the values that listing formats share: counts, months,
// clock times, dates and names. Each checks its whole input and gives nothing
// for anything it does not fully understand.
namespace FtpListing {

// Decimal digits only, at least one, no overflow.
std::optional<qint64> parseCount(QByteArrayView digits);

// Permission bits written in octal ("644", "0755").
std::optional<int> parseOctalMode(QByteArrayView digits);

// Month 1..12 from an English name ("Jan", "january", any case) or a number
// with an optional Japanese 月 suffix (UTF-8 or CP932) as localized ls prints it.
std::optional<int> parseMonthName(QByteArrayView text);
std::optional<int> parseMonthNumber(QByteArrayView text);

// Day of month 1..31, with an optional Japanese 日 suffix.
std::optional<int> parseDay(QByteArrayView text);

// "hh:mm", "hh:mm:ss" or "hh:mm:ss.fraction" in 24-hour form.
std::optional<QTime> parseClock(QByteArrayView text);

// A listing without a year means the last twelve months: this year, or the
// previous one when the date would lie more than a day after today.
QDate resolveYearless(int month, int day, const QDate& today);

// Times are kept as the listing gives them. They are held as UTC so that no
// time zone or daylight-saving rule of this machine shifts or drops them.
QDateTime wallClock(const QDate& date, const QTime& time);

// An entry named by the raw bytes of the listing, decoded in the session's
// encoding; nothing when the name is empty or cannot be sent back to the
// server (NUL, CR or LF inside).
std::optional<FtpEntry> namedEntry(QByteArrayView rawName, FtpNameEncoding encoding);

// Strips the line end (LF, CR LF or a lone CR) from a single line.
QByteArrayView withoutLineEnd(QByteArrayView line);

} // namespace FtpListing
