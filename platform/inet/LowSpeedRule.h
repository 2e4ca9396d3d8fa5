#pragma once

#include <QtGlobal>
#include <deque>

// Ends a download that has stopped making progress, the way curl's
// --speed-limit/--speed-time do: the download fails when, over a whole period,
// fewer bytes arrived than the limit allows. A slow but steady line and short
// stalls pass; a server that drips a byte now and then does not.
class LowSpeedRule
{
public:
    LowSpeedRule(qint64 bytesPerSecond, qint64 periodMs);

    // A new period begins at nowMs with receivedBytes counted so far.
    void start(qint64 nowMs, qint64 receivedBytes);
    // The bytes received so far at nowMs; false when the last whole period
    // brought less than the limit.
    bool keepsUp(qint64 nowMs, qint64 receivedBytes);

private:
    struct Sample
    {
        qint64 atMs;
        qint64 bytes;
    };

    qint64 bytesPerSecond_;
    qint64 periodMs_;
    std::deque<Sample> samples_;
};
