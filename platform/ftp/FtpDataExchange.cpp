#include "platform/ftp/FtpDataExchange.h"

#include "platform/ftp/FtpReplyParsing.h"

namespace {

// How much of an upload may wait in memory before we wait for the socket.
constexpr qint64 kMaxQueued = 4 * FtpDataExchange::kBlockSize;
// Waits on the replies to ABOR are short: the session is in trouble already.
constexpr int kAbortReplyTimeoutMs = 3000;

FtpResult refused(const FtpReply& reply)
{
    return FtpResult::failure(reply.code, QString::fromLatin1(reply.text.trimmed()));
}

QString tooSlowText()
{
    return QStringLiteral("The data connection is too slow.");
}

bool isV4(const QHostAddress& address)
{
    bool ok = false;
    address.toIPv4Address(&ok);
    return ok;
}

} // namespace

FtpDataExchange::FtpDataExchange(FtpControlConnection& control, FtpWait& wait, FtpDataMode& mode,
                                 int timeoutMs, const FtpSpeedLimit& speedLimit, BlockObserver observer)
    : control_(control), wait_(wait), mode_(mode), timeoutMs_(timeoutMs), speedLimit_(speedLimit),
      observer_(std::move(observer)), channel_(wait)
{
}

FtpResult FtpDataExchange::receive(const QByteArray& command, const Sink& sink)
{
    Attempt first = attempt(command, &sink, nullptr);
    if (!first.retryPassive || mode_.passive || !control_.isOpen())
        return first.result;
    mode_.passive = true;
    return attempt(command, &sink, nullptr).result;
}

FtpResult FtpDataExchange::send(const QByteArray& command, const Source& source)
{
    Attempt first = attempt(command, nullptr, &source);
    if (!first.retryPassive || mode_.passive || !control_.isOpen())
        return first.result;
    mode_.passive = true;
    return attempt(command, nullptr, &source).result;
}

FtpResult FtpDataExchange::openActive(bool& fallBack)
{
    const auto line = channel_.listen(control_.localAddress());
    if (!line) {
        fallBack = true;
        return FtpResult::failure(QStringLiteral("Cannot listen for the data connection."));
    }
    if (FtpResult sent = control_.send(*line); !sent)
        return sent;
    QString why;
    const auto reply = control_.read(timeoutMs_, &why);
    if (!reply)
        return FtpResult::failure(why);
    if (reply->isCompletion())
        return FtpResult::success(reply->code);
    fallBack = true;
    channel_.close();
    return refused(*reply);
}

FtpResult FtpDataExchange::openPassive()
{
    const QHostAddress peer = control_.peerAddress();
    QString why;
    if (!mode_.epsvRefused) {
        if (FtpResult sent = control_.send("EPSV\r\n"); !sent)
            return sent;
        const auto reply = control_.read(timeoutMs_, &why);
        if (!reply)
            return FtpResult::failure(why);
        if (reply->code == 229) {
            const auto port = FtpReplyParsing::parseEpsv(reply->text);
            if (!port)
                return FtpResult::failure(reply->code, QStringLiteral("Unreadable EPSV reply."));
            if (!channel_.connectTo(peer, *port, QDeadlineTimer(timeoutMs_)))
                return FtpResult::failure(QStringLiteral("Cannot open the data connection."));
            return FtpResult::success(reply->code);
        }
        if (reply->code < 500)
            return refused(*reply);
        mode_.epsvRefused = true;
    }
    if (!isV4(peer))
        return FtpResult::failure(QStringLiteral("The server offers no passive mode over IPv6."));
    if (FtpResult sent = control_.send("PASV\r\n"); !sent)
        return sent;
    const auto reply = control_.read(timeoutMs_, &why);
    if (!reply)
        return FtpResult::failure(why);
    if (reply->code != 227)
        return refused(*reply);
    const auto address = FtpReplyParsing::parsePasv(reply->text);
    if (!address)
        return FtpResult::failure(reply->code, QStringLiteral("Unreadable PASV reply."));
    // Only the port is taken: the address a server names (its inside address
    // behind NAT, or any host a hostile server chooses) is never connected to.
    if (!channel_.connectTo(peer, address->port, QDeadlineTimer(timeoutMs_)))
        return FtpResult::failure(QStringLiteral("Cannot open the data connection."));
    return FtpResult::success(reply->code);
}

FtpDataExchange::Attempt FtpDataExchange::attempt(const QByteArray& command, const Sink* sink,
                                                  const Source* source)
{
    channel_.close();
    bool active = !mode_.passive;
    if (active) {
        bool fallBack = false;
        FtpResult opened = openActive(fallBack);
        if (!opened) {
            if (!fallBack || !control_.isOpen())
                return {opened};
            mode_.passive = true;
            active = false;
        }
    }
    if (!active) {
        if (FtpResult opened = openPassive(); !opened)
            return {opened};
    }
    if (FtpResult sent = control_.send(command); !sent)
        return {sent};

    std::optional<FtpReply> early;
    QString why;
    for (;;) {
        const auto reply = control_.read(timeoutMs_, &why);
        if (!reply)
            return {FtpResult::failure(why)};
        if (reply->isPreliminary()) {
            opening_ = reply;
            break;
        }
        if (reply->isCompletion()) {
            early = reply;
            break;
        }
        channel_.close();
        return {refused(*reply), active && reply->code == 425};
    }

    if (active) {
        const QHostAddress server = control_.peerAddress();
        const QDeadlineTimer deadline(timeoutMs_);
        while (!channel_.socket() && !channel_.acceptPending(server) && !early) {
            FtpResult failure;
            if (controlFailed(early, failure)) {
                channel_.close();
                return {failure, failure.code == 425};
            }
            if (wait_.expired(deadline)) {
                return {giveUp(QStringLiteral("The server's data connection did not arrive.")),
                        !wait_.cancelled()};
            }
            QDeadlineTimer slice(FtpWait::slice(deadline));
            channel_.accept(server, slice);
        }
    }
    if (channel_.socket()) {
        if (mode_.tls) {
            if (FtpResult secured = secure(early); !secured)
                return {secured};
        }
        FtpResult moved = sink ? pumpIn(*sink, early) : pumpOut(*source, early);
        if (!moved)
            return {moved};
    }
    return {finish(early)};
}

bool FtpDataExchange::controlFailed(std::optional<FtpReply>& early, FtpResult& failure)
{
    if (early)
        return false;
    if (auto reply = control_.poll()) {
        if (reply->isFailure()) {
            failure = refused(*reply);
            return true;
        }
        if (reply->isCompletion())
            early = reply;
        return false;
    }
    if (!control_.isOpen()) {
        failure = FtpResult::failure(QStringLiteral("The server closed the connection."));
        return true;
    }
    return false;
}

FtpResult FtpDataExchange::secure(std::optional<FtpReply>& early)
{
    QSslSocket& socket = *channel_.socket();
    channel_.startTls(control_.tlsConfiguration(), control_.peerName());
    const QDeadlineTimer deadline(timeoutMs_);
    while (!socket.isEncrypted()) {
        // A server that wanted its session resumed says so in its reply (522).
        if (auto failure = broken(early, QStringLiteral("The TLS handshake on the data connection failed.")))
            return *failure;
        if (wait_.expired(deadline))
            return giveUp(QStringLiteral("The TLS handshake on the data connection did not complete."));
        socket.waitForEncrypted(FtpWait::slice(deadline));
        wait_.pump();
    }
    // Anyone may connect to a data port; only the server holds its certificate's key.
    if (socket.peerCertificate() != control_.peerCertificate())
        return localFailure(
            QStringLiteral("The data connection showed another certificate than the server."));
    return FtpResult::success(0);
}

std::optional<FtpResult> FtpDataExchange::broken(std::optional<FtpReply>& early, const QString& why)
{
    FtpResult failure;
    if (controlFailed(early, failure)) {
        channel_.close();
        return failure;
    }
    if (channel_.socket()->state() != QAbstractSocket::ConnectedState) {
        const FtpResult verdict = finish(early);
        return verdict.ok ? FtpResult::failure(why) : verdict;
    }
    return std::nullopt;
}

FtpResult FtpDataExchange::pumpIn(const Sink& sink, std::optional<FtpReply>& early)
{
    QTcpSocket& socket = *channel_.socket();
    QByteArray block(kBlockSize, Qt::Uninitialized);
    QDeadlineTimer idle(timeoutMs_);
    FtpSpeedFloor speed(speedLimit_);
    for (;;) {
        const qint64 got = channel_.read(block.data(), kBlockSize);
        if (got > 0) {
            if (!sink(block.constData(), got))
                return localFailure(QStringLiteral("Cannot write the received data."));
            if (observer_)
                observer_(false, got);
            idle.setRemainingTime(timeoutMs_);
            speed.add(got);
        } else {
            if (channel_.peerClosed() && socket.bytesAvailable() == 0)
                return FtpResult::success(0); // the server closed the data connection: end of data
            FtpResult failure;
            if (controlFailed(early, failure)) {
                channel_.close();
                return failure;
            }
            if (wait_.expired(idle))
                return giveUp(QStringLiteral("The data connection stalled."));
            channel_.waitForInput(FtpWait::slice(idle));
        }
        if (speed.tooSlow())
            return giveUp(tooSlowText());
        wait_.pump();
        if (wait_.cancelled())
            return giveUp(QString());
    }
}

FtpResult FtpDataExchange::pumpOut(const Source& source, std::optional<FtpReply>& early)
{
    QTcpSocket& socket = *channel_.socket();
    QDeadlineTimer idle(timeoutMs_);
    FtpSpeedFloor speed(speedLimit_);
    auto drainTo = [&](qint64 limit) -> FtpResult {
        while (channel_.pendingOutput() > limit) {
            if (auto failure = broken(early, QStringLiteral("The data connection broke.")))
                return *failure;
            if (wait_.expired(idle))
                return giveUp(QStringLiteral("The data connection stalled."));
            if (speed.tooSlow())
                return giveUp(tooSlowText());
            const qint64 queued = channel_.pendingOutput();
            if (socket.waitForBytesWritten(FtpWait::slice(idle)))
                idle.setRemainingTime(timeoutMs_);
            speed.add(qMax<qint64>(0, queued - channel_.pendingOutput()));
            wait_.pump();
        }
        return FtpResult::success(0);
    };
    for (;;) {
        const std::optional<QByteArray> block = source();
        if (!block)
            return localFailure(QStringLiteral("Cannot read the file to send."));
        if (block->isEmpty())
            break;
        if (socket.write(*block) != block->size()) {
            FtpResult verdict = finish(early);
            return verdict.ok ? FtpResult::failure(QStringLiteral("The data connection broke.")) : verdict;
        }
        if (observer_)
            observer_(true, block->size());
        if (FtpResult drained = drainTo(kMaxQueued); !drained)
            return drained;
    }
    if (FtpResult drained = drainTo(0); !drained)
        return drained;
    if (!channel_.endOutput(QDeadlineTimer(timeoutMs_)))
        return giveUp(QStringLiteral("The data connection did not close."));
    return FtpResult::success(0);
}

FtpResult FtpDataExchange::finish(std::optional<FtpReply>& early)
{
    channel_.close();
    if (!early) {
        QString why;
        early = control_.read(timeoutMs_, &why);
        if (!early)
            return FtpResult::failure(why);
    }
    if (early->isCompletion())
        return FtpResult::success(early->code);
    return refused(*early);
}

void FtpDataExchange::abortTransfer()
{
    channel_.close();
    if (wait_.cancelled()) {
        control_.close(); // no time for ABOR: the caller wants out now
        return;
    }
    if (!control_.isOpen() || !control_.send("ABOR\r\n"))
        return;
    const int timeout = qMin(timeoutMs_, kAbortReplyTimeoutMs);
    const auto first = control_.read(timeout);
    if (!first)
        return;
    // Usually two replies follow (the aborted command's and ABOR's own); a
    // server that sends one gets a short grace, without closing the session.
    const bool moreLikely = first->isFailure() && first->code != 500 && first->code != 502;
    control_.read(moreLikely ? timeout : kAbortReplyTimeoutMs / 6, nullptr, false);
}

FtpResult FtpDataExchange::localFailure(const QString& why)
{
    abortTransfer();
    return FtpResult::failure(why);
}

FtpResult FtpDataExchange::giveUp(const QString& why)
{
    abortTransfer();
    return FtpResult::failure(wait_.cancelled() ? FtpWait::cancelledText() : why);
}
