#pragma once

#include "platform/ftp/FtpReply.h"
#include "platform/ftp/FtpReplyReader.h"
#include "platform/ftp/FtpResult.h"
#include "platform/ftp/FtpWait.h"

#include <QHostAddress>
#include <QSslConfiguration>
#include <QSslSocket>
#include <functional>
#include <memory>
#include <optional>

// The control connection: opens it (name lookup included), sends command
// lines and reads replies, each wait bounded by a deadline. A timeout or a
// protocol error leaves the conversation out of step, so the connection is
// closed then; callers see isOpen() turn false. After AUTH TLS the same
// connection carries TLS (startTls).
class FtpControlConnection
{
public:
    using Observer = std::function<void(bool sent, qint64 bytes, const FtpReply* reply)>;

    explicit FtpControlConnection(FtpWait& wait);
    ~FtpControlConnection();

    FtpResult open(const QString& host, quint16 port, int connectTimeoutMs);
    void close();
    bool isOpen() const;

    // Every command line sent and every reply read is told to the observer,
    // except while quiet (questions of our own).
    void setObserver(Observer observer) { observer_ = std::move(observer); }
    void setQuiet(bool quiet) { quiet_ = quiet; }

    // How long sending one command line may take.
    void setSendTimeout(int ms) { sendTimeoutMs_ = ms; }
    FtpResult send(const QByteArray& line);
    // The next reply, waiting up to timeoutMs for it. A timeout closes the
    // connection unless closeOnTimeout is false (a reply that may not come).
    std::optional<FtpReply> read(int timeoutMs, QString* why = nullptr, bool closeOnTimeout = true);
    // A reply that has already arrived completely, without waiting.
    std::optional<FtpReply> poll();
    // Sends a line and reads its reply.
    FtpResult exchange(const QByteArray& line, std::optional<FtpReply>& reply, int timeoutMs);

    // The TLS handshake as a client, once the server has agreed to AUTH TLS.
    // Anything the server sent after that agreement would pass for protected
    // text, so it fails the handshake; so does a time-out. Either way the
    // connection is closed then. The certificate is checked against the name
    // given to open(); handshakeErrors() tells what did not verify.
    FtpResult startTls(const QSslConfiguration& configuration, int timeoutMs);
    bool isEncrypted() const { return socket_->isEncrypted(); }
    QSslCertificate peerCertificate() const { return socket_->peerCertificate(); }
    QList<QSslError> handshakeErrors() const { return socket_->sslHandshakeErrors(); }
    // What a data connection needs to join this connection's TLS session.
    QSslConfiguration tlsConfiguration() const { return socket_->sslConfiguration(); }
    // The server's name as given to open(), and its port.
    QString peerName() const { return host_; }
    quint16 peerPort() const { return socket_->peerPort(); }

    QHostAddress localAddress() const { return socket_->localAddress(); }
    QHostAddress peerAddress() const { return socket_->peerAddress(); }
    QString lastError() const { return error_; }

private:
    bool fill(); // moves what the socket holds into the reader
    std::optional<FtpReply> take();

    FtpWait& wait_;
    std::unique_ptr<QSslSocket> socket_; // a new one for each connection
    QString host_;
    FtpReplyReader reader_;
    Observer observer_;
    bool quiet_ = false;
    QString error_;
    int sendTimeoutMs_ = 60000;
};
