#include "platform/ftp/FtpControlConnection.h"

#include "platform/cpu/VectorState.h"

#include <QCoreApplication>
#include <QHostInfo>
#include <QTimer>

namespace {

// Name lookup without blocking the window past the deadline: the lookup runs
// on Qt's resolver thread and its answer arrives as an event.
std::optional<QList<QHostAddress>> resolve(const QString& host, const QDeadlineTimer& deadline,
                                           const FtpWait& wait)
{
    QHostAddress literal;
    if (literal.setAddress(host))
        return QList<QHostAddress>{literal};
    std::optional<QHostInfo> answer;
    QObject context;
    const int id = QHostInfo::lookupHost(host, &context, [&answer](const QHostInfo& info) { answer = info; });
    QTimer tick;
    tick.start(FtpWait::kPumpIntervalMs);
    while (!answer) {
        if (wait.expired(deadline)) {
            QHostInfo::abortHostLookup(id);
            return std::nullopt;
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    }
    if (answer->error() != QHostInfo::NoError)
        return QList<QHostAddress>{};
    return answer->addresses();
}

} // namespace

FtpControlConnection::FtpControlConnection(FtpWait& wait)
    : wait_(wait), socket_(std::make_unique<QSslSocket>())
{
    clearWideVectorState(); // the first TLS socket loads the TLS stack and its certificates
}

FtpControlConnection::~FtpControlConnection()
{
    socket_->abort();
}

bool FtpControlConnection::isOpen() const
{
    return socket_->state() == QAbstractSocket::ConnectedState && !reader_.hasError();
}

void FtpControlConnection::close()
{
    socket_->abort();
    reader_.reset();
}

FtpResult FtpControlConnection::open(const QString& host, quint16 port, int connectTimeoutMs)
{
    close();
    socket_ = std::make_unique<QSslSocket>(); // in clear, with no TLS state of an earlier connection
    error_.clear();
    host_ = host;
    const QDeadlineTimer deadline(connectTimeoutMs);
    const auto addresses = resolve(host, deadline, wait_);
    if (!addresses)
        return FtpResult::failure(error_ = wait_.cancelled()
                                               ? FtpWait::cancelledText()
                                               : QStringLiteral("Looking up %1 timed out.").arg(host));
    if (addresses->isEmpty())
        return FtpResult::failure(error_ = QStringLiteral("Host %1 not found.").arg(host));
    for (const QHostAddress& address : *addresses) {
        socket_->connectToHost(address, port);
        if (wait_.connected(*socket_, deadline)) {
            socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            return FtpResult::success(0);
        }
        error_ = socket_->errorString();
        socket_->abort();
        if (wait_.expired(deadline))
            break;
    }
    return FtpResult::failure(QStringLiteral("Cannot connect to %1: %2").arg(host, error_));
}

FtpResult FtpControlConnection::send(const QByteArray& line)
{
    if (!isOpen())
        return FtpResult::failure(error_ = QStringLiteral("Not connected."));
    socket_->write(line);
    if (!wait_.written(*socket_, 0, QDeadlineTimer(sendTimeoutMs_))) {
        error_ = wait_.cancelled() ? FtpWait::cancelledText()
                                   : QStringLiteral("The connection broke while sending a command.");
        close();
        return FtpResult::failure(error_);
    }
    if (observer_ && !quiet_)
        observer_(true, line.size(), nullptr);
    return FtpResult::success(0);
}

bool FtpControlConnection::fill()
{
    const qint64 available = socket_->bytesAvailable();
    if (available <= 0)
        return false;
    const QByteArray bytes = socket_->read(available);
    reader_.feed(bytes);
    return true;
}

std::optional<FtpReply> FtpControlConnection::take()
{
    FtpReply reply;
    switch (reader_.next(reply)) {
    case FtpReplyReader::Status::Ready:
        if (observer_ && !quiet_)
            observer_(false, reply.text.size(), &reply);
        if (reply.code == 421)
            socket_->disconnectFromHost(); // the server is closing the session
        return reply;
    case FtpReplyReader::Status::Error:
        error_ = reader_.errorString();
        socket_->abort();
        return std::nullopt;
    case FtpReplyReader::Status::NeedMore:
        break;
    }
    return std::nullopt;
}

std::optional<FtpReply> FtpControlConnection::poll()
{
    fill();
    return take();
}

std::optional<FtpReply> FtpControlConnection::read(int timeoutMs, QString* why, bool closeOnTimeout)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (auto reply = take())
            return reply;
        if (reader_.hasError())
            break;
        if (fill())
            continue;
        if (!wait_.readable(*socket_, deadline)) {
            const bool stillOpen = socket_->state() == QAbstractSocket::ConnectedState;
            error_ = wait_.cancelled() ? FtpWait::cancelledText()
                     : stillOpen       ? QStringLiteral("The server did not answer in time.")
                                       : QStringLiteral("The server closed the connection.");
            if (stillOpen && !closeOnTimeout && !wait_.cancelled())
                break;
            // Out of step with the server from here on.
            socket_->abort();
            break;
        }
    }
    if (why)
        *why = error_;
    return std::nullopt;
}

FtpResult FtpControlConnection::exchange(const QByteArray& line, std::optional<FtpReply>& reply,
                                         int timeoutMs)
{
    if (FtpResult sent = send(line); !sent)
        return sent;
    QString why;
    reply = read(timeoutMs, &why);
    if (!reply)
        return FtpResult::failure(why);
    return FtpResult::success(reply->code);
}

FtpResult FtpControlConnection::startTls(const QSslConfiguration& configuration, int timeoutMs)
{
    if (!isOpen())
        return FtpResult::failure(error_ = QStringLiteral("Not connected."));
    fill();
    if (reader_.pendingBytes() > 0) {
        close();
        return FtpResult::failure(error_ = QStringLiteral("The server sent text before the TLS handshake."));
    }
    socket_->setSslConfiguration(configuration);
    socket_->setPeerVerifyName(host_);
    socket_->startClientEncryption();
    if (!wait_.encrypted(*socket_, QDeadlineTimer(timeoutMs))) {
        if (wait_.cancelled())
            error_ = FtpWait::cancelledText();
        else if (socket_->state() == QAbstractSocket::ConnectedState)
            error_ = QStringLiteral("The TLS handshake did not complete in time.");
        else
            error_ = QStringLiteral("The TLS handshake failed: %1").arg(socket_->errorString());
        close();
        return FtpResult::failure(error_);
    }
    return FtpResult::success(0);
}
