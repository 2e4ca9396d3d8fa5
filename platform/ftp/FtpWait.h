#pragma once

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QString>

class QAbstractSocket;
class QSslSocket;
class QTcpServer;

// Blocking waits on sockets for the synchronous FTP calls. While a call waits,
// the window may repaint and answer the window manager about every 100 ms,
// but never sees user input, so no click can start a second command.
// Something that runs during such a pump (a close request of the window) may
// cancel the call: from then on every wait gives up at its next wake-up, as
// at its deadline, until the call ends and clears the mark.
class FtpWait
{
public:
    static constexpr int kPumpIntervalMs = 100;

    FtpWait();

    // Lets pending non-input events run when the last pump is 100 ms ago.
    void pump();

    void cancel() { cancelled_ = true; }
    void clearCancel() { cancelled_ = false; }
    bool cancelled() const { return cancelled_; }
    // The deadline has passed or the call was cancelled.
    bool expired(const QDeadlineTimer& deadline) const { return cancelled_ || deadline.hasExpired(); }
    // Why a cancelled call failed.
    static QString cancelledText() { return QStringLiteral("The call was cancelled."); }

    // True once the socket has bytes to read; false at the deadline or when the
    // socket closed with nothing left to read.
    bool readable(QAbstractSocket& socket, const QDeadlineTimer& deadline);
    // Blocks until at most `limit` bytes wait in the socket's write buffer.
    bool written(QAbstractSocket& socket, qint64 limit, const QDeadlineTimer& deadline);
    // Connects to an address; false on refusal or at the deadline.
    bool connected(QAbstractSocket& socket, const QDeadlineTimer& deadline);
    // Waits for the peer to close (after our own disconnectFromHost).
    bool closed(QAbstractSocket& socket, const QDeadlineTimer& deadline);
    // The TLS handshake the socket has started; false when it fails or at the deadline.
    bool encrypted(QSslSocket& socket, const QDeadlineTimer& deadline);
    // A pending incoming connection, up to the deadline.
    bool incoming(QTcpServer& server, const QDeadlineTimer& deadline);

    static int slice(const QDeadlineTimer& deadline);

private:
    QElapsedTimer sincePump_;
    bool cancelled_ = false;
};
