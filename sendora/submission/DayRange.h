#pragma once

#include <QDate>
#include <QString>

// The day count of a submission's date range, as the window shows it in its
// count label and as the collection reads it back.
namespace DayRange {

// Calendar days from start to end, both included; 0 or less when start is after end.
qint64 dayCount(const QDate& start, const QDate& end);

// The count label's leading number. Text without one, or a number that does
// not fit the 16-bit day counter, counts as 0.
int parseDayCount(const QString& caption);

} // namespace DayRange
