#pragma once

#include "platform/ftp/FtpWait.h"

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>
#include <optional>

// The data connection of one transfer or listing: either we listen and the
// server connects (active mode, PORT/EPRT) or we connect to the port the
// server opened (passive mode, EPSV/PASV).
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

    QTcpSocket* socket() const { return socket_.get(); }
    void close();

private:
    FtpWait& wait_;
    QTcpServer server_;
    std::unique_ptr<QTcpSocket> socket_;
};
