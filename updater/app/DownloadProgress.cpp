#include "updater/app/DownloadProgress.h"

#include <cmath>

double DownloadProgress::stepFor(long long contentLength)
{
    const double raw = static_cast<double>(kPieceBytes) / static_cast<double>(contentLength) * 100.0;
    return std::round(raw * 10000.0) / 10000.0;
}

void DownloadProgress::start(long long contentLength)
{
    step_ = stepFor(contentLength);
    value_ = 0.0f;
}

void DownloadProgress::advance()
{
    if (value_ >= 100.0f)
        return;
    // The bar holds single precision, as the step is added to what it shows.
    const double next = static_cast<double>(value_) + step_;
    value_ = next > 100.0 ? 100.0f : static_cast<float>(next);
}
