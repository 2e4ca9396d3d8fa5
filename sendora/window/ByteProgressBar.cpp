#include "sendora/window/ByteProgressBar.h"

#include <limits>

ByteProgressBar::ByteProgressBar(QWidget* parent) : QProgressBar(parent)
{
    setTextVisible(false);
    render();
}

void ByteProgressBar::setMaximum64(qint64 maximum)
{
    max_ = maximum < 1 ? 1 : maximum;
    if (value_ > max_)
        value_ = max_;
    render();
}

bool ByteProgressBar::setValue64(qint64 value)
{
    if (value < 0 || value > max_)
        return false;
    value_ = value;
    render();
    return true;
}

bool ByteProgressBar::addValue64(qint64 amount)
{
    if (amount > max_ - value_)
        return false;
    return setValue64(value_ + amount);
}

void ByteProgressBar::render()
{
    constexpr qint64 intMax = std::numeric_limits<int>::max();
    const qint64 scale = max_ > intMax ? max_ / intMax + 1 : 1;
    setRange(0, static_cast<int>(max_ / scale));
    setValue(static_cast<int>(value_ / scale));
}
