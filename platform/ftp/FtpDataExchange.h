#pragma once

#include "platform/ftp/FtpControlConnection.h"
#include "platform/ftp/FtpDataChannel.h"
#include "platform/ftp/FtpResult.h"
#include "platform/ftp/FtpSpeedFloor.h"

#include <QByteArray>
#include <functional>

class QIODevice;

// How this session opens data connections. Active mode comes first; once the
// server refuses it or its connection never arrives (users behind NAT), the
// session stays passive.
struct FtpDataMode
{
    bool passive = false;
    bool epsvRefused = false;
    // PROT P: every data connection is TLS, in the control connection's session.
    bool tls = false;
};

// One command with a data connection (LIST, MLSD, RETR, STOR): sets up the
// data connection, sends the command, moves the data in blocks of at most
// 64 KiB and reads the server's verdict. The final reply may come before or
// after the data; 125 and 150 both open the transfer. Data that stops for the
// timeout, or moves slower than the speed limit, fails the command. Protected
// data connections must show the control connection's certificate.
class FtpDataExchange
{
public:
    static constexpr qint64 kBlockSize = 64 * 1024;

    using BlockObserver = std::function<void(bool sent, qint64 bytes)>;
    // Takes one received block; false stops the transfer (the local side failed).
    using Sink = std::function<bool(const char* data, qsizetype size)>;
    // Fills the next block to send; an empty block ends the data, nullopt is a local failure.
    using Source = std::function<std::optional<QByteArray>()>;

    FtpDataExchange(FtpControlConnection& control, FtpWait& wait, FtpDataMode& mode, int timeoutMs,
                    const FtpSpeedLimit& speedLimit, BlockObserver observer);

    FtpResult receive(const QByteArray& command, const Sink& sink);
    FtpResult send(const QByteArray& command, const Source& source);
    // The 125 or 150 reply that opened the transfer, once there is one.
    const std::optional<FtpReply>& opening() const { return opening_; }

private:
    struct Attempt
    {
        FtpResult result;
        bool retryPassive = false;
    };

    Attempt attempt(const QByteArray& command, const Sink* sink, const Source* source);
    FtpResult openActive(bool& fallBack);
    FtpResult openPassive();
    FtpResult secure(std::optional<FtpReply>& early);
    FtpResult pumpIn(const Sink& sink, std::optional<FtpReply>& early);
    FtpResult pumpOut(const Source& source, std::optional<FtpReply>& early);
    bool controlFailed(std::optional<FtpReply>& early, FtpResult& failure);
    // A failure reply, or the data connection lost while we send or shake
    // hands: the server's verdict when it has one, else why.
    std::optional<FtpResult> broken(std::optional<FtpReply>& early, const QString& why);
    FtpResult finish(std::optional<FtpReply>& early);
    void abortTransfer();
    FtpResult localFailure(const QString& why);
    // Ends a transfer that timed out or was cancelled.
    FtpResult giveUp(const QString& why);

    FtpControlConnection& control_;
    FtpWait& wait_;
    FtpDataMode& mode_;
    int timeoutMs_;
    FtpSpeedLimit speedLimit_;
    BlockObserver observer_;
    FtpDataChannel channel_;
    std::optional<FtpReply> opening_;
};
