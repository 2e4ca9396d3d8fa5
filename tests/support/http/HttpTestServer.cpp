#include "tests/support/http/HttpTestServer.h"

#include <QTcpSocket>

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
    const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
    buffer.clear();
    socket->disconnect(this);
    const QString path =
        requestLine.size() >= 2 ? QUrl(QString::fromLatin1(requestLine.at(1))).path() : QString();
    requests.append(path);
    if (onRequest)
        onRequest(path);
    answer(socket, path);
}

void HttpTestServer::answer(QTcpSocket* socket, const QString& path)
{
    HttpRoute route =
        routes_.value(path, HttpRoute::page("<html><head><title>404 Not Found</title></head></html>", 404));
    if (route.stall)
        return; // held open until the server is destroyed
    if (!route.redirectTo.isEmpty()) {
        route.status = 302;
        route.body.clear();
    }
    const qint64 length = route.announcedLength.value_or(route.body.size());
    QByteArray head = "HTTP/1.1 " + QByteArray::number(route.status) + " Scripted\r\n";
    head += "Content-Type: " + route.contentType + "\r\n";
    if (route.sendLength)
        head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    if (!route.redirectTo.isEmpty())
        head += "Location: " + route.redirectTo + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    socket->write(route.body.left(length));
    socket->disconnectFromHost();
}
