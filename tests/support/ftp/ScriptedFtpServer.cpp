#include "tests/support/ftp/ScriptedFtpServer.h"

#include <QDeadlineTimer>
#include <QMutexLocker>
#include <unistd.h>

namespace {

constexpr int kSliceMs = 20;
constexpr int kDataWaitMs = 5000;

QByteArray passiveReplyAddress(const QHostAddress& address, quint16 port)
{
    const quint32 ip = address.toIPv4Address();
    return QByteArray::number(ip >> 24) + ',' + QByteArray::number((ip >> 16) & 0xff) + ',' +
           QByteArray::number((ip >> 8) & 0xff) + ',' + QByteArray::number(ip & 0xff) + ',' +
           QByteArray::number(port >> 8) + ',' + QByteArray::number(port & 0xff);
}

// Control connections come as TLS-capable sockets, for AUTH TLS.
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

ScriptedFtpServer::Session::Session(ScriptedFtpServer& server, QSslSocket& control)
    : server_(server), control_(control)
{
}

void ScriptedFtpServer::Session::reply(const QByteArray& bytes)
{
    if (control_.state() != QAbstractSocket::ConnectedState)
        return;
    control_.write(bytes);
    while (control_.bytesToWrite() > 0 && control_.waitForBytesWritten(kDataWaitMs)) {
    }
}

void ScriptedFtpServer::Session::dribble(const QByteArray& bytes, int pauseMs)
{
    for (char c : bytes) {
        reply(QByteArray(1, c));
        QThread::msleep(pauseMs);
    }
}

void ScriptedFtpServer::Session::closeControl()
{
    control_.flush();
    control_.disconnectFromHost();
    if (control_.state() != QAbstractSocket::UnconnectedState)
        control_.waitForDisconnected(1000);
}

ScriptedFtpServer::Session::~Session()
{
    if (heldData_ >= 0)
        ::close(heldData_);
}

bool ScriptedFtpServer::Session::startTls()
{
    {
        QMutexLocker lock(&server_.mutex_);
        control_.setLocalCertificate(server_.certificate_);
        control_.setPrivateKey(server_.key_);
    }
    control_.setPeerVerifyMode(QSslSocket::VerifyNone);
    control_.startServerEncryption();
    return control_.waitForEncrypted(kDataWaitMs);
}

void ScriptedFtpServer::Session::stall(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired() && !server_.stopping())
        QThread::msleep(kSliceMs);
}

void ScriptedFtpServer::Session::ignoreUntilClosed(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired() && !server_.stopping() &&
           control_.state() == QAbstractSocket::ConnectedState) {
        control_.readAll();
        control_.waitForReadyRead(kSliceMs);
    }
    control_.abort();
}

quint16 ScriptedFtpServer::Session::listenPassive()
{
    activeTarget_ = {QHostAddress(), 0};
    passive_.close();
    passive_.listen(control_.localAddress(), 0);
    return passive_.serverPort();
}

bool ScriptedFtpServer::Session::openData()
{
    data_.reset();
    if (passive_.isListening()) {
        if (!passive_.hasPendingConnections() && !passive_.waitForNewConnection(kDataWaitMs))
            return false;
        data_.reset(passive_.nextPendingConnection());
        data_->setParent(nullptr);
        passive_.close();
        return true;
    }
    if (activeTarget_.second == 0)
        return false;
    data_ = std::make_unique<QSslSocket>(); // in clear unless startDataTls()
    data_->connectToHost(activeTarget_.first, activeTarget_.second);
    activeTarget_ = {QHostAddress(), 0};
    return data_->waitForConnected(kDataWaitMs);
}

void ScriptedFtpServer::Session::sendData(const QByteArray& bytes)
{
    if (!data_)
        return;
    data_->write(bytes);
    while (data_->bytesToWrite() > 0 && data_->waitForBytesWritten(kDataWaitMs)) {
    }
}

bool ScriptedFtpServer::Session::sendRepeated(const QByteArray& pattern, qint64 total, int pauseMs)
{
    for (qint64 sent = 0; sent < total && !server_.stopping(); sent += pattern.size()) {
        if (!data_ || data_->state() != QAbstractSocket::ConnectedState)
            return false;
        sendData(pattern.left(total - sent));
        if (pauseMs > 0)
            QThread::msleep(pauseMs);
    }
    return data_ && data_->state() == QAbstractSocket::ConnectedState;
}

QByteArray ScriptedFtpServer::Session::receiveData()
{
    QByteArray bytes;
    if (!data_)
        return bytes;
    while (!server_.stopping()) {
        bytes += data_->readAll();
        if (data_->state() != QAbstractSocket::ConnectedState)
            break;
        data_->waitForReadyRead(kSliceMs);
    }
    bytes += data_->readAll();
    return bytes;
}

void ScriptedFtpServer::Session::closeData()
{
    if (!data_)
        return;
    data_->disconnectFromHost();
    if (data_->state() != QAbstractSocket::UnconnectedState)
        data_->waitForDisconnected(1000);
    data_.reset();
}

bool ScriptedFtpServer::Session::startDataTls()
{
    auto* socket = qobject_cast<QSslSocket*>(data_.get());
    if (!socket)
        return false;
    {
        QMutexLocker lock(&server_.mutex_);
        socket->setLocalCertificate(server_.certificate_);
        socket->setPrivateKey(server_.key_);
    }
    socket->setPeerVerifyMode(QSslSocket::VerifyNone);
    socket->startServerEncryption();
    return socket->waitForEncrypted(kDataWaitMs);
}

void ScriptedFtpServer::Session::endDataTlsKeepingConnection()
{
    if (!data_)
        return;
    if (heldData_ >= 0)
        ::close(heldData_);
    heldData_ = ::dup(int(data_->socketDescriptor()));
    closeData();
}

ScriptedFtpServer::ScriptedFtpServer() = default;

ScriptedFtpServer::~ScriptedFtpServer()
{
    stop();
}

bool ScriptedFtpServer::start(const QHostAddress& address)
{
    address_ = address;
    stop_ = false;
    ready_ = false;
    QThread::start();
    QDeadlineTimer deadline(5000);
    while (!ready_ && !deadline.hasExpired())
        QThread::msleep(5);
    return port_ != 0;
}

void ScriptedFtpServer::stop()
{
    stop_ = true;
    wait(10000);
}

void ScriptedFtpServer::setGreeting(const QByteArray& bytes)
{
    QMutexLocker lock(&mutex_);
    greeting_ = bytes;
}

void ScriptedFtpServer::setFeatures(const QByteArray& bytes)
{
    QMutexLocker lock(&mutex_);
    features_ = bytes;
}

void ScriptedFtpServer::setListing(const QByteArray& body)
{
    QMutexLocker lock(&mutex_);
    listing_ = body;
}

void ScriptedFtpServer::setFile(const QByteArray& name, const QByteArray& content)
{
    QMutexLocker lock(&mutex_);
    files_.insert(name, content);
}

void ScriptedFtpServer::setTlsIdentity(const QSslCertificate& certificate, const QSslKey& key)
{
    QMutexLocker lock(&mutex_);
    certificate_ = certificate;
    key_ = key;
}

void ScriptedFtpServer::on(const QByteArray& verb, Handler handler)
{
    QMutexLocker lock(&mutex_);
    handlers_.insert(verb, std::move(handler));
}

QList<QByteArray> ScriptedFtpServer::commands() const
{
    QMutexLocker lock(&mutex_);
    return commands_;
}

bool ScriptedFtpServer::received(const QByteArray& verb) const
{
    QMutexLocker lock(&mutex_);
    for (const QByteArray& line : commands_) {
        if (line == verb || line.startsWith(verb + ' '))
            return true;
    }
    return false;
}

QByteArray ScriptedFtpServer::uploaded() const
{
    QMutexLocker lock(&mutex_);
    return uploaded_;
}

void ScriptedFtpServer::run()
{
    TlsCapableServer listener;
    if (!listener.listen(address_, 0)) {
        ready_ = true;
        return;
    }
    port_ = listener.serverPort();
    ready_ = true;
    while (!stop_) {
        if (!listener.waitForNewConnection(kSliceMs))
            continue;
        std::unique_ptr<QSslSocket> control(qobject_cast<QSslSocket*>(listener.nextPendingConnection()));
        control->setParent(nullptr);
        ++connections_;
        serve(*control);
        control->abort();
    }
}

void ScriptedFtpServer::serve(QSslSocket& control)
{
    Session session(*this, control);
    QByteArray greeting;
    Handler greeter;
    {
        QMutexLocker lock(&mutex_);
        greeting = greeting_;
        greeter = handlers_.value(QByteArray());
    }
    if (greeter)
        greeter(session, QByteArray());
    else
        session.reply(greeting);
    QByteArray pending;
    while (!stop_ && (control.state() == QAbstractSocket::ConnectedState || control.bytesAvailable() > 0)) {
        pending += control.readAll();
        const qsizetype end = pending.indexOf("\r\n");
        if (end < 0) {
            control.waitForReadyRead(kSliceMs);
            continue;
        }
        const QByteArray line = pending.left(end);
        pending.remove(0, end + 2);
        {
            QMutexLocker lock(&mutex_);
            commands_.append(line);
        }
        const qsizetype blank = line.indexOf(' ');
        const QByteArray verb = (blank < 0 ? line : line.left(blank)).toUpper();
        answer(session, verb, blank < 0 ? QByteArray() : line.mid(blank + 1));
    }
    session.closeData();
}

void ScriptedFtpServer::answer(Session& session, const QByteArray& verb, const QByteArray& argument)
{
    Handler handler;
    {
        QMutexLocker lock(&mutex_);
        handler = handlers_.value(verb);
    }
    if (handler)
        handler(session, argument);
    else
        answerByDefault(session, verb, argument);
}

void ScriptedFtpServer::answerByDefault(Session& session, const QByteArray& verb, const QByteArray& argument)
{
    QMutexLocker lock(&mutex_);
    const QByteArray features = features_;
    const QByteArray listing = listing_;
    const QByteArray file = files_.value(argument, QByteArray("hello\r\n"));
    const bool known = files_.contains(argument);
    const bool tls = !certificate_.isNull();
    lock.unlock();

    if (verb == "USER") {
        session.reply("331 Password required\r\n");
    } else if (verb == "PASS") {
        session.reply("230 Logged in\r\n");
    } else if (verb == "FEAT") {
        session.reply(features);
    } else if (verb == "AUTH" && tls && argument.toUpper() == "TLS") {
        session.reply("234 Proceed with negotiation\r\n");
        session.startTls();
    } else if (verb == "OPTS" || verb == "TYPE" || verb == "NOOP" || verb == "PBSZ" || verb == "PROT") {
        session.reply("200 OK\r\n");
    } else if (verb == "PWD") {
        session.reply("257 \"/\" is the current directory\r\n");
    } else if (verb == "CWD" || verb == "DELE" || verb == "RMD" || verb == "RNTO") {
        session.reply("250 OK\r\n");
    } else if (verb == "MKD") {
        session.reply("257 \"" + argument + "\" created\r\n");
    } else if (verb == "RNFR") {
        session.reply("350 Ready for RNTO\r\n");
    } else if (verb == "PORT") {
        const QList<QByteArray> parts = argument.split(',');
        if (parts.size() != 6) {
            session.reply("501 Bad PORT\r\n");
            return;
        }
        session.passive_.close();
        session.activeTarget_ = {
            QHostAddress(QString::fromLatin1(parts[0] + '.' + parts[1] + '.' + parts[2] + '.' + parts[3])),
            quint16(parts[4].toInt() * 256 + parts[5].toInt())};
        session.reply("200 PORT command successful\r\n");
    } else if (verb == "EPRT") {
        const QList<QByteArray> parts = argument.split(argument.isEmpty() ? '|' : argument.at(0));
        if (parts.size() < 5) {
            session.reply("501 Bad EPRT\r\n");
            return;
        }
        session.passive_.close();
        session.activeTarget_ = {QHostAddress(QString::fromLatin1(parts[2])), quint16(parts[3].toInt())};
        session.reply("200 EPRT command successful\r\n");
    } else if (verb == "PASV") {
        const quint16 port = session.listenPassive();
        session.reply("227 Entering Passive Mode (" +
                      passiveReplyAddress(session.control_.localAddress(), port) + ")\r\n");
    } else if (verb == "EPSV") {
        const quint16 port = session.listenPassive();
        session.reply("229 Entering Extended Passive Mode (|||" + QByteArray::number(port) + "|)\r\n");
    } else if (verb == "LIST" || verb == "MLSD" || verb == "NLST") {
        session.reply("150 Here comes the listing\r\n");
        session.openData();
        session.sendData(listing);
        session.closeData();
        session.reply("226 Transfer complete\r\n");
    } else if (verb == "RETR") {
        session.reply("150 Opening data connection\r\n");
        session.openData();
        session.sendData(file);
        session.closeData();
        session.reply("226 Transfer complete\r\n");
    } else if (verb == "SIZE") {
        session.reply(known ? "213 " + QByteArray::number(file.size()) + "\r\n" : "550 No such file\r\n");
    } else if (verb == "STOR") {
        session.reply("150 Ok to send data\r\n");
        session.openData();
        const QByteArray bytes = session.receiveData();
        session.closeData();
        {
            QMutexLocker relock(&mutex_);
            uploaded_ = bytes;
        }
        session.reply("226 Transfer complete\r\n");
    } else if (verb == "ABOR") {
        session.closeData();
        session.reply("226 Abort successful\r\n");
    } else if (verb == "QUIT") {
        session.reply("221 Goodbye\r\n");
        session.closeControl();
    } else {
        session.reply("502 Command not implemented\r\n");
    }
}
