#pragma once

// The download's progress as the update shows it: every piece of the body adds
// one step, 1024 / content length × 100 rounded to 4 decimals, capped at 100.
// A download counts as whole from 99 on, since rounding can leave it short of 100.
class DownloadProgress
{
public:
    static constexpr int kPieceBytes = 1024;
    static constexpr float kWholeFrom = 99.0f;

    // No step for a length of 0 or less: such a download cannot be measured.
    static bool validLength(long long contentLength) { return contentLength > 0; }
    static double stepFor(long long contentLength);

    void reset() { step_ = 0.0, value_ = 0.0f; }
    void start(long long contentLength);
    void advance();
    float value() const { return value_; }
    bool whole() const { return value_ >= kWholeFrom; }

private:
    double step_ = 0.0;
    float value_ = 0.0f;
};
