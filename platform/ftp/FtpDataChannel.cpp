#include "platform/ftp/FtpDataChannel.h"

#include "platform/ftp/FtpBufferReuse.h"

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

// Enough kernel buffer for fast loopback and LAN transfers.
constexpr int kSocketBufferSize = 1024 * 1024;
constexpr qint64 kTlsReadBufferSize = 64 * 1024;
constexpr int kTlsWaitStepMs = 5;

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

FtpDataChannel::FtpDataChannel(FtpWait& wait) : wait_(wait), server_(std::make_unique<TlsCapableServer>())
{
    keepTransferBuffersInHeap();
}

FtpDataChannel::~FtpDataChannel()
{
    close();
    release();
}

void FtpDataChannel::close()
{
    if (socket_)
        socket_->abort();
    socket_.reset();
    server_->close();
}

void FtpDataChannel::release()
{
#ifdef Q_OS_UNIX
    if (held_ >= 0)
        ::close(held_);
#endif
    held_ = -1;
}

std::optional<QByteArray> FtpDataChannel::listen(const QHostAddress& local)
{
    close();
    release();
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
        adopt(std::move(candidate));
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
    release();
    auto socket = std::make_unique<QSslSocket>();
    socket->connectToHost(address, port);
    if (!wait_.connected(*socket, deadline))
        return false;
    adopt(std::move(socket));
    return true;
}

void FtpDataChannel::startTls(const QSslConfiguration& configuration, const QString& peerName)
{
    socket_->setSslConfiguration(configuration);
    socket_->setPeerVerifyName(peerName);
    // Qt reads raw input in pieces as large as this buffer and frees each once
    // decrypted: pieces of a megabyte came from fresh pages every time and
    // cost a download over TLS about a quarter of its speed.
    socket_->setReadBufferSize(kTlsReadBufferSize);
    socket_->startClientEncryption();
}

qint64 FtpDataChannel::read(char* data, qint64 size)
{
    qint64 got = socket_->read(data, size);
    if (got == 0 && socket_->isEncrypted()) {
        // Qt decrypts what has arrived from its event loop, which a synchronous
        // call seldom runs; until then its raw buffer stays full and nothing
        // more is read. flush() decrypts here and now.
        socket_->flush();
        got = socket_->read(data, size);
    }
    return got;
}

bool FtpDataChannel::waitForInput(int timeoutMs)
{
    // A TLS wait takes in close_notify and goes on waiting, as it brings no
    // data; servers that leave the connection open after it (vsftpd) would
    // end every download a whole wait late. Short steps see it soon.
    if (socket_->isEncrypted())
        timeoutMs = qMin(timeoutMs, kTlsWaitStepMs);
    return socket_->waitForReadyRead(timeoutMs);
}

bool FtpDataChannel::peerClosed() const
{
    return socket_->state() != QAbstractSocket::ConnectedState || peerEnded_;
}

void FtpDataChannel::adopt(std::unique_ptr<QSslSocket> socket)
{
    socket_ = std::move(socket);
    peerEnded_ = false;
    // Latched here: a later wait that times out replaces the socket's error.
    QObject::connect(socket_.get(), &QAbstractSocket::errorOccurred, socket_.get(),
                     [this](QAbstractSocket::SocketError error) {
                         if (error == QAbstractSocket::RemoteHostClosedError)
                             peerEnded_ = true;
                     });
    tune(*socket_);
}

qint64 FtpDataChannel::pendingOutput() const
{
    return socket_->bytesToWrite() + socket_->encryptedBytesToWrite();
}

bool FtpDataChannel::endOutput(const QDeadlineTimer& deadline)
{
    // What the server has sent already is read first: a connection closed
    // with unread input is reset, and a reset may cost the server the end of
    // our data.
    for (int round = 0; round < 4 && socket_->waitForReadyRead(0); ++round)
        socket_->readAll();
#ifdef Q_OS_UNIX
    // A TLS server may still be sending (session tickets follow the handshake
    // by a moment), and Qt closes both directions at once. A descriptor of our
    // own keeps the connection open until this channel ends, after the
    // server's verdict, and ends only our direction now.
    if (socket_->isEncrypted())
        held_ = ::dup(int(socket_->socketDescriptor()));
#endif
    socket_->disconnectFromHost(); // TLS: close_notify first
    if (!wait_.closed(*socket_, deadline))
        return false;
#ifdef Q_OS_UNIX
    if (held_ >= 0)
        ::shutdown(held_, SHUT_WR);
#endif
    return true;
}
