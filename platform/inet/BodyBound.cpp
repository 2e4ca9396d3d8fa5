#include "platform/inet/BodyBound.h"

bool BodyBound::announce(const QByteArray& contentLength)
{
    const QByteArray digits = contentLength.trimmed();
    // 18 digits always fit a qint64; longer numbers are beyond any limit anyway.
    if (digits.isEmpty() || digits.size() > 18)
        return false;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return false;
    }
    const qint64 length = digits.toLongLong();
    if (length > limitBytes_)
        return false;
    announced_ = length;
    return true;
}

bool BodyBound::take(qint64 bytes)
{
    received_ += bytes;
    return announced() && received_ <= announced_;
}
