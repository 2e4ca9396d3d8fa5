#pragma once

#include "platform/ftp/FtpWait.h"

#include <QByteArray>
#include <QHostAddress>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpServer>
#include <memory>
#include <optional>

// The data connection of one transfer or listing: either we listen and the
// server connects (active mode, PORT/EPRT) or we connect to the port the
// server opened (passive mode, EPSV/PASV). Either way we are the TLS client
// when the data is protected (RFC 4217), also on a connection we accepted.
class FtpDataChannel
{
public:
    explicit FtpDataChannel(FtpWait& wait);
    ~FtpDataChannel();

    // Active mode: listens on the control connection's local address and
    // returns the PORT or EPRT command line that announces it.
    std::optional<QByteArray> listen(const QHostAddress& local);
    // Active mode: takes the server's connection. Connections from any other
    // host than the server's are refused.
    bool accept(const QHostAddress& server, const QDeadlineTimer& deadline);
    // Whether the server has connected already, without waiting.
    bool acceptPending(const QHostAddress& server);

    // Passive mode.
    bool connectTo(const QHostAddress& address, quint16 port, const QDeadlineTimer& deadline);

    // Starts the TLS handshake on the open connection; the configuration
    // carries the control connection's session, which the server may insist
    // on resuming.
    void startTls(const QSslConfiguration& configuration, const QString& peerName);
    // Reads what has arrived, decrypted when protected.
    qint64 read(char* data, qint64 size);
    // Waits up to timeoutMs for input; false when none came.
    bool waitForInput(int timeoutMs);
    // Whether the server has ended the data: closed the connection, or sent
    // TLS's close_notify (after which some servers wait for us to close).
    bool peerClosed() const;
    // Bytes waiting to go out, encrypted or not.
    qint64 pendingOutput() const;
    // Ends what we send (TLS's close_notify first when protected); false when
    // the connection does not close by the deadline. A TLS connection stays
    // open for the server's late input until the channel ends.
    bool endOutput(const QDeadlineTimer& deadline);

    QSslSocket* socket() const { return socket_.get(); }
    void close();

private:
    void adopt(std::unique_ptr<QSslSocket> socket);
    void release();

    FtpWait& wait_;
    std::unique_ptr<QTcpServer> server_;
    std::unique_ptr<QSslSocket> socket_;
    int held_ = -1;          // see endOutput()
    bool peerEnded_ = false; // TLS close_notify received
};
