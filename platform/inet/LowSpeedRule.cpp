#include "platform/inet/LowSpeedRule.h"

LowSpeedRule::LowSpeedRule(qint64 bytesPerSecond, qint64 periodMs)
    : bytesPerSecond_(bytesPerSecond), periodMs_(periodMs > 0 ? periodMs : 1)
{
}

void LowSpeedRule::start(qint64 nowMs, qint64 receivedBytes)
{
    samples_.assign(1, Sample{nowMs, receivedBytes});
}

bool LowSpeedRule::keepsUp(qint64 nowMs, qint64 receivedBytes)
{
    if (samples_.empty())
        start(nowMs, receivedBytes);
    samples_.push_back(Sample{nowMs, receivedBytes});
    const qint64 periodStart = nowMs - periodMs_;
    // Keep the newest sample that lies a whole period back: it is where the
    // last period began.
    while (samples_.size() > 1 && samples_[1].atMs <= periodStart)
        samples_.pop_front();
    const Sample& base = samples_.front();
    if (base.atMs > periodStart)
        return true; // not a whole period yet
    const qint64 elapsedMs = nowMs - base.atMs;
    return (receivedBytes - base.bytes) * 1000 >= bytesPerSecond_ * elapsedMs;
}
