#pragma once

#include <QByteArray>
#include <QtGlobal>

// How much body a download may bring: exactly what its Content-Length header
// announces, and never more than a limit. A response without a usable length is
// refused as soon as its headers arrive, and one whose body passes the length
// is stopped at once, so no server can fill the disk through the updater.
class BodyBound
{
public:
    explicit BodyBound(qint64 limitBytes) : limitBytes_(limitBytes) {}

    // The raw Content-Length value; false unless it is a plain decimal number
    // not above the limit (absent, signed, blank, listed twice: all refused).
    bool announce(const QByteArray& contentLength);
    bool announced() const { return announced_ >= 0; }
    qint64 length() const { return announced_; }
    // Counts arriving bytes; false once they pass the announced length.
    bool take(qint64 bytes);
    qint64 received() const { return received_; }

private:
    qint64 limitBytes_;
    qint64 announced_ = -1;
    qint64 received_ = 0;
};
