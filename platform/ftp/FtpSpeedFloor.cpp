#include "platform/ftp/FtpSpeedFloor.h"

FtpSpeedFloor::FtpSpeedFloor(const FtpSpeedLimit& limit) : limit_(limit)
{
    window_.start();
}

bool FtpSpeedFloor::tooSlow()
{
    if (window_.elapsed() < limit_.windowMs)
        return false;
    if (bytes_ * 1000 < limit_.bytesPerSecond * window_.elapsed())
        return true;
    window_.restart();
    bytes_ = 0;
    return false;
}
