#include "platform/ftp/FtpDataChannel.h"

namespace {

// Enough kernel buffer for fast loopback and LAN transfers.
constexpr int kSocketBufferSize = 1024 * 1024;

void tune(QTcpSocket& socket)
{
    socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kSocketBufferSize);
    socket.setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSocketBufferSize);
    // Bounds what Qt reads ahead into memory while a block is being written out.
    socket.setReadBufferSize(1024 * 1024);
}

// Accepted connections come as TLS-capable sockets: in active mode the server
// connects to us, and we still start TLS as its client.
class TlsCapableServer : public QTcpServer
{
protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto* socket = new QSslSocket(this);
        if (socket->setSocketDescriptor(descriptor))
            addPendingConnection(socket);
        else
            delete socket;
    }
};

} // namespace

FtpDataChannel::FtpDataChannel(FtpWait& wait) : wait_(wait), server_(std::make_unique<TlsCapableServer>()) {}

FtpDataChannel::~FtpDataChannel()
{
    close();
}

void FtpDataChannel::close()
{
    if (socket_)
        socket_->abort();
    socket_.reset();
    server_->close();
}

std::optional<QByteArray> FtpDataChannel::listen(const QHostAddress& local)
{
    close();
    bool isV4 = false;
    const quint32 v4 = local.toIPv4Address(&isV4);
    const QHostAddress bindTo = isV4 ? QHostAddress(v4) : local;
    if (!server_->listen(bindTo, 0))
        return std::nullopt;
    server_->setMaxPendingConnections(4);
    const quint16 port = server_->serverPort();
    if (isV4) {
        return QByteArray("PORT ") + QByteArray::number((v4 >> 24) & 0xff) + ',' +
               QByteArray::number((v4 >> 16) & 0xff) + ',' + QByteArray::number((v4 >> 8) & 0xff) + ',' +
               QByteArray::number(v4 & 0xff) + ',' + QByteArray::number(port >> 8) + ',' +
               QByteArray::number(port & 0xff) + "\r\n";
    }
    QHostAddress plain = bindTo;
    plain.setScopeId(QString());
    return QByteArray("EPRT |2|") + plain.toString().toLatin1() + '|' + QByteArray::number(port) + "|\r\n";
}

bool FtpDataChannel::acceptPending(const QHostAddress& server)
{
    while (server_->hasPendingConnections()) {
        std::unique_ptr<QTcpSocket> pending(server_->nextPendingConnection());
        if (!pending)
            continue;
        pending->setParent(nullptr);
        std::unique_ptr<QSslSocket> candidate(qobject_cast<QSslSocket*>(pending.release()));
        if (!candidate || !candidate->peerAddress().isEqual(server, QHostAddress::TolerantConversion)) {
            if (candidate)
                candidate->abort();
            continue;
        }
        socket_ = std::move(candidate);
        tune(*socket_);
        server_->close();
        return true;
    }
    return false;
}

bool FtpDataChannel::accept(const QHostAddress& server, const QDeadlineTimer& deadline)
{
    if (!server_->isListening())
        return false;
    while (!acceptPending(server)) {
        if (!wait_.incoming(*server_, deadline))
            return false;
    }
    return true;
}

bool FtpDataChannel::connectTo(const QHostAddress& address, quint16 port, const QDeadlineTimer& deadline)
{
    close();
    socket_ = std::make_unique<QSslSocket>();
    socket_->connectToHost(address, port);
    if (!wait_.connected(*socket_, deadline)) {
        socket_.reset();
        return false;
    }
    tune(*socket_);
    return true;
}

void FtpDataChannel::startTls(const QSslConfiguration& configuration, const QString& peerName)
{
    socket_->setSslConfiguration(configuration);
    socket_->setPeerVerifyName(peerName);
    socket_->startClientEncryption();
}

bool FtpDataChannel::peerClosed() const
{
    return socket_->state() != QAbstractSocket::ConnectedState ||
           socket_->error() == QAbstractSocket::RemoteHostClosedError;
}

qint64 FtpDataChannel::pendingOutput() const
{
    return socket_->bytesToWrite() + socket_->encryptedBytesToWrite();
}
