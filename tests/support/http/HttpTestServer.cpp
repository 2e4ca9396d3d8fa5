#include "tests/support/http/HttpTestServer.h"

#include "tests/support/http/ContentCoding.h"

#include <QTcpSocket>
#include <QTimer>

namespace {

// The value of a request header, any letter case; empty when absent.
QByteArray headerValue(const QByteArray& head, const QByteArray& name)
{
    for (const QByteArray& line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

// Writes the body a piece at a time; the timer dies with the socket.
void drip(QTcpSocket* socket, const QByteArray& body, int pieceBytes, int intervalMs)
{
    auto* timer = new QTimer(socket);
    qsizetype sent = 0;
    QObject::connect(timer, &QTimer::timeout, socket, [socket, timer, body, pieceBytes, sent]() mutable {
        socket->write(body.mid(sent, pieceBytes));
        sent += pieceBytes;
        if (sent >= body.size()) {
            timer->stop();
            socket->disconnectFromHost();
        }
    });
    timer->start(intervalMs);
}

} // namespace

HttpRoute HttpRoute::page(const QByteArray& html, int status)
{
    HttpRoute route;
    route.status = status;
    route.body = html;
    return route;
}

HttpRoute HttpRoute::file(const QByteArray& bytes)
{
    HttpRoute route;
    route.body = bytes;
    route.contentType = "application/octet-stream";
    return route;
}

HttpTestServer::HttpTestServer()
{
    connect(&server_, &QTcpServer::newConnection, this, &HttpTestServer::accept);
    server_.listen(QHostAddress::LocalHost, 0);
}

HttpTestServer::~HttpTestServer()
{
    // The sockets are the listening server's children and would otherwise die
    // with it, after the tables their handlers write to are gone.
    server_.close();
    const auto sockets = server_.findChildren<QTcpSocket*>();
    for (QTcpSocket* socket : sockets) {
        socket->disconnect(this);
        socket->abort();
        delete socket;
    }
}

QString HttpTestServer::url(const QString& path) const
{
    QString relative = path;
    if (relative.startsWith(QLatin1Char('/')))
        relative.remove(0, 1);
    return QStringLiteral("http://127.0.0.1:%1/").arg(port()) + relative;
}

void HttpTestServer::accept()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this, socket] { pending_.remove(socket); });
    }
}

void HttpTestServer::readRequest(QTcpSocket* socket)
{
    QByteArray& buffer = pending_[socket];
    buffer += socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QByteArray head = buffer.left(end);
    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    buffer.clear();
    socket->disconnect(this);
    const QString path =
        requestLine.size() >= 2 ? QUrl(QString::fromLatin1(requestLine.at(1))).path() : QString();
    requests.append(path);
    if (onRequest)
        onRequest(path);
    answer(socket, path, headerValue(head, "accept-encoding"));
}

void HttpTestServer::answer(QTcpSocket* socket, const QString& path, const QByteArray& acceptEncoding)
{
    HttpRoute route =
        routes_.value(path, HttpRoute::page("<html><head><title>404 Not Found</title></head></html>", 404));
    if (route.stall)
        return; // held open until the server is destroyed
    if (!route.redirectTo.isEmpty()) {
        route.status = 302;
        route.body.clear();
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(route.status) + " Scripted\r\n";
    head += "Content-Type: " + route.contentType + "\r\n";
    const QByteArray coding = compressWhenAllowed ? ContentCoding::chosenFor(acceptEncoding) : QByteArray();
    if (!coding.isEmpty() && !route.body.isEmpty()) {
        route.body = ContentCoding::encode(route.body, coding);
        head += "Content-Encoding: " + coding + "\r\n";
        ++compressedAnswers;
    }
    const qint64 length = route.announcedLength.value_or(route.body.size());
    if (route.sendLength)
        head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    if (!route.redirectTo.isEmpty())
        head += "Location: " + route.redirectTo + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    if (route.dripBytes > 0 && !route.body.isEmpty()) {
        drip(socket, route.body.left(length), route.dripBytes, route.dripIntervalMs);
        return;
    }
    socket->write(route.body.left(length));
    socket->disconnectFromHost();
}
