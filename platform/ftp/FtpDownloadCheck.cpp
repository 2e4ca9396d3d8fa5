#include "platform/ftp/FtpDownloadCheck.h"

#include <QStorageInfo>

namespace {

// The disk is asked again after this much, so that other writers count too.
constexpr qint64 kAskAgainBytes = 8 * 1024 * 1024;

} // namespace

FtpDownloadCheck::FtpDownloadCheck(const QString& localFolder, qint64 reserveBytes)
    : folder_(localFolder), reserve_(qMax<qint64>(0, reserveBytes))
{
}

bool FtpDownloadCheck::roomFor(qint64 bytes)
{
    if (folder_.isEmpty())
        return true;
    if (!budget_ || sinceAsked_ + bytes > *budget_ || sinceAsked_ >= kAskAgainBytes) {
        const QStorageInfo disk(folder_);
        const qint64 available = disk.isValid() ? disk.bytesAvailable() : -1;
        if (available < 0)
            return true; // the platform cannot tell; the write itself will
        budget_ = available - reserve_;
        sinceAsked_ = 0;
    }
    if (sinceAsked_ + bytes <= *budget_)
        return true;
    why_ = QStringLiteral("Not enough free space on the local disk.");
    return false;
}

bool FtpDownloadCheck::announce(qint64 size)
{
    announced_ = qMax<qint64>(0, size);
    return roomFor(qMax<qint64>(0, *announced_ - received_));
}

bool FtpDownloadCheck::admit(qint64 bytes)
{
    if (announced_ && received_ + bytes > *announced_) {
        why_ = QStringLiteral("The server sent more than the %1 bytes it announced.").arg(*announced_);
        return false;
    }
    if (!roomFor(bytes))
        return false;
    received_ += bytes;
    sinceAsked_ += bytes;
    return true;
}

bool FtpDownloadCheck::complete()
{
    if (!announced_ || received_ >= *announced_)
        return true;
    why_ = QStringLiteral("The transfer ended early: %1 of %2 bytes.").arg(received_).arg(*announced_);
    return false;
}
