#include "platform/shell/Clock.h"

#include <QElapsedTimer>

namespace {
QDate& fixedToday()
{
    static QDate date;
    return date;
}
std::function<QDateTime()>& nowFn()
{
    static std::function<QDateTime()> fn;
    return fn;
}
std::function<qint64()>& monotonicFn()
{
    static std::function<qint64()> fn;
    return fn;
}
} // namespace

namespace Clock {

QDate today()
{
    if (fixedToday().isValid())
        return fixedToday();
    return now().date();
}

QDateTime now()
{
    if (nowFn())
        return nowFn()();
    return QDateTime::currentDateTime();
}

qint64 monotonicMs()
{
    if (monotonicFn())
        return monotonicFn()();
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

void setToday(const QDate& date)
{
    fixedToday() = date;
}

void setNow(std::function<QDateTime()> fn)
{
    nowFn() = std::move(fn);
}

void setMonotonic(std::function<qint64()> fn)
{
    monotonicFn() = std::move(fn);
}

} // namespace Clock
