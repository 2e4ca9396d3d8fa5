#include "sendora/submission/DayRange.h"

#include <limits>

namespace DayRange {

qint64 dayCount(const QDate& start, const QDate& end)
{
    if (!start.isValid() || !end.isValid())
        return 0;
    return start.daysTo(end) + 1;
}

int parseDayCount(const QString& caption)
{
    qsizetype i = 0;
    while (i < caption.size() && (caption.at(i) == u' ' || caption.at(i) == u'\t'))
        ++i;
    bool negative = false;
    if (i < caption.size() && (caption.at(i) == u'-' || caption.at(i) == u'+')) {
        negative = caption.at(i) == u'-';
        ++i;
    }
    qint64 value = 0;
    for (; i < caption.size() && caption.at(i) >= u'0' && caption.at(i) <= u'9'; ++i) {
        value = value * 10 + (caption.at(i).unicode() - u'0');
        // The counter is 16-bit: a count beyond it is refused, not wrapped.
        if (value > std::numeric_limits<qint16>::max() + 1)
            return 0;
    }
    if (negative)
        value = -value;
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        return 0;
    return static_cast<int>(value);
}

} // namespace DayRange
