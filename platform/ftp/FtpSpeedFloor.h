#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

// How slow a listing or transfer may get before it fails like a time-out.
// The defaults let any real line through (a 9600 baud modem moves ~1 KB/s)
// and stop a server that drips a line every few seconds.
struct FtpSpeedLimit
{
    qint64 bytesPerSecond = 100;
    int windowMs = 60000;
};

// The low-speed rule of one data connection: fewer bytes than the limit's
// rate over a whole window fails. An idle timer alone is reset by every byte,
// so a drip would never end.
class FtpSpeedFloor
{
public:
    explicit FtpSpeedFloor(const FtpSpeedLimit& limit);

    void add(qint64 bytes) { bytes_ += bytes; }
    // True once a whole window has passed with too few bytes; a window that
    // had enough starts the next one.
    bool tooSlow();

private:
    FtpSpeedLimit limit_;
    QElapsedTimer window_;
    qint64 bytes_ = 0;
};
