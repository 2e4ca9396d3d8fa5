#pragma once

// The download's progress as the update shows it: every piece of the body adds
// one step, 1024 / content length × 100 rounded to 4 decimals, capped at 100.
// It only drives the bar: rounding leaves it short of 100, for some large
// archives below 99, so whether a download is whole is told by its bytes.
class DownloadProgress
{
public:
    static constexpr int kPieceBytes = 1024;

    // No step for a length of 0 or less: such a download cannot be measured.
    static bool validLength(long long contentLength) { return contentLength > 0; }
    static double stepFor(long long contentLength);

    void reset() { step_ = 0.0, value_ = 0.0f; }
    void start(long long contentLength);
    void advance();
    float value() const { return value_; }

private:
    double step_ = 0.0;
    float value_ = 0.0f;
};
