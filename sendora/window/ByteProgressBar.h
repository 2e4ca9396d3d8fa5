#pragma once

#include <QProgressBar>

// A progress bar counting bytes (or entries) in 64 bits. Its minimum stays 0;
// values beyond the int range of QProgressBar are scaled down for display.
class ByteProgressBar : public QProgressBar
{
    Q_OBJECT
public:
    explicit ByteProgressBar(QWidget* parent = nullptr);

    qint64 maximum64() const { return max_; }
    qint64 value64() const { return value_; }

    // The bar needs a maximum above its minimum: 0 (an empty total) becomes 1.
    void setMaximum64(qint64 maximum);
    // A value outside 0..maximum is refused (false) and the bar keeps its value.
    bool setValue64(qint64 value);
    bool addValue64(qint64 amount);

private:
    void render();

    qint64 max_ = 100;
    qint64 value_ = 0;
};
