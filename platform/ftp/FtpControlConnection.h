#pragma once

#include "platform/ftp/FtpReply.h"
#include "platform/ftp/FtpReplyReader.h"
#include "platform/ftp/FtpResult.h"
#include "platform/ftp/FtpWait.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <functional>
#include <optional>

// The control connection: opens it (name lookup included), sends command
// lines and reads replies, each wait bounded by a deadline. A timeout or a
// protocol error leaves the conversation out of step, so the connection is
// closed then; callers see isOpen() turn false.
class FtpControlConnection
{
public:
    using Observer = std::function<void(bool sent, qint64 bytes, const FtpReply* reply)>;

    explicit FtpControlConnection(FtpWait& wait);
    ~FtpControlConnection();

    FtpResult open(const QString& host, quint16 port, int connectTimeoutMs);
    void close();
    bool isOpen() const;

    // Every command line sent and every reply read is told to the observer.
    void setObserver(Observer observer) { observer_ = std::move(observer); }

    // How long sending one command line may take.
    void setSendTimeout(int ms) { sendTimeoutMs_ = ms; }
    FtpResult send(const QByteArray& line);
    // The next reply, waiting up to timeoutMs for it. A timeout closes the
    // connection unless closeOnTimeout is false (a reply that may not come).
    std::optional<FtpReply> read(int timeoutMs, QString* why = nullptr, bool closeOnTimeout = true);
    // A reply that has already arrived completely, without waiting.
    std::optional<FtpReply> poll();

    QHostAddress localAddress() const { return socket_.localAddress(); }
    QHostAddress peerAddress() const { return socket_.peerAddress(); }
    QString lastError() const { return error_; }

private:
    bool fill(); // moves what the socket holds into the reader
    std::optional<FtpReply> take();

    FtpWait& wait_;
    QTcpSocket socket_;
    FtpReplyReader reader_;
    Observer observer_;
    QString error_;
    int sendTimeoutMs_ = 60000;
};
