#pragma once

#include <QDate>
#include <QDateTime>
#include <functional>

// Today's date and the current time, replaceable in tests.
namespace Clock {

QDate today();
QDateTime now();
qint64 monotonicMs();

void setToday(const QDate& date);          // invalid date: the real clock again
void setNow(std::function<QDateTime()> fn); // empty: the real clock again
void setMonotonic(std::function<qint64()> fn);

} // namespace Clock
