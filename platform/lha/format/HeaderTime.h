#pragma once

#include <QDateTime>

// The time stamps of member headers: local MS-DOS time (levels 0 and 1),
// Unix time (level 2 and the Unix extensions) and Windows file time
// (extended header 0x41).
namespace HeaderTime {

// Invalid for 0 and for fields that name no real date or time.
QDateTime fromDos(quint32 packed);
// The date in the high half, the time (two-second steps) in the low half;
// times outside 1980 to 2107 become the nearest the format holds.
quint32 toDos(const QDateTime& when);
// The two halves on their own, as the member search reports them: the
// date is 0 before 1980.
quint16 dosDate(const QDateTime& when);
quint16 dosTime(const QDateTime& when);

QDateTime fromUnix(quint32 seconds);
// Clamped to what 32 unsigned bits hold.
quint32 toUnix(const QDateTime& when);

// 100-nanosecond steps since 1601; invalid up to 1970.
QDateTime fromWindows(quint64 fileTime);

} // namespace HeaderTime
