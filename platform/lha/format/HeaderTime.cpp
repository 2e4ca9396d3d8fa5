#include "platform/lha/format/HeaderTime.h"

namespace HeaderTime {

QDateTime fromDos(quint32 packed)
{
    if (packed == 0)
        return {};
    const QDate date(1980 + int(packed >> 25), int((packed >> 21) & 0x0f), int((packed >> 16) & 0x1f));
    const QTime time(int((packed >> 11) & 0x1f), int((packed >> 5) & 0x3f), int((packed & 0x1f) * 2));
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::LocalTime);
}

quint32 toDos(const QDateTime& when)
{
    const int year = when.toLocalTime().date().year();
    if (year < 1980)
        return (1u << 21) | (1u << 16); // 1980-01-01 00:00:00, the earliest the format holds
    if (year > 2107)
        return (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;
    return (quint32(dosDate(when)) << 16) | dosTime(when);
}

quint16 dosDate(const QDateTime& when)
{
    const QDate d = when.toLocalTime().date();
    return d.year() < 1980 ? 0 : quint16(((d.year() - 1980) << 9) | (d.month() << 5) | d.day());
}

quint16 dosTime(const QDateTime& when)
{
    const QTime t = when.toLocalTime().time();
    return quint16((t.hour() << 11) | (t.minute() << 5) | (t.second() / 2));
}

QDateTime fromUnix(quint32 seconds)
{
    return QDateTime::fromSecsSinceEpoch(qint64(seconds), Qt::UTC);
}

quint32 toUnix(const QDateTime& when)
{
    const qint64 seconds = when.toSecsSinceEpoch();
    return seconds < 0 ? 0u : seconds > 0xFFFFFFFFll ? 0xFFFFFFFFu : quint32(seconds);
}

QDateTime fromWindows(quint64 fileTime)
{
    constexpr quint64 kUnixEpoch = 116444736000000000ULL;
    if (fileTime <= kUnixEpoch)
        return {};
    return QDateTime::fromSecsSinceEpoch(qint64((fileTime - kUnixEpoch) / 10000000ULL), Qt::UTC);
}

} // namespace HeaderTime
