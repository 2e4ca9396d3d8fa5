#pragma once

#include <QString>
#include <optional>

// What one download may write. A binary transfer never takes more than the
// size the server announced for it (SIZE, or "(n bytes)" in its 150 reply),
// and fewer bytes than announced is a transfer cut short. No download writes
// so much that less than a reserve of free space would remain on the local
// disk. Without an announcement only the reserve bounds it.
class FtpDownloadCheck
{
public:
    // An empty folder skips the free-space check (the data goes to memory).
    FtpDownloadCheck(const QString& localFolder, qint64 reserveBytes);

    // False when the announced size cannot fit above the reserve.
    bool announce(qint64 size);
    bool hasAnnouncement() const { return announced_.has_value(); }
    // Before writing `bytes` more: false when they must not be written.
    bool admit(qint64 bytes);
    // Once the server confirmed the transfer: false when data is missing.
    bool complete();
    // Why the last check failed; empty when none did.
    QString why() const { return why_; }

private:
    bool roomFor(qint64 bytes);

    QString folder_;
    qint64 reserve_;
    std::optional<qint64> announced_;
    qint64 received_ = 0;
    // Free space above the reserve when last asked, and bytes written since.
    std::optional<qint64> budget_;
    qint64 sinceAsked_ = 0;
    QString why_;
};
