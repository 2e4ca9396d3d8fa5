#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPair>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>
#include <functional>
#include <optional>

class QTcpSocket;

// What the server answers on one path.
struct HttpRoute
{
    int status = 200;
    QByteArray body;
    QByteArray contentType = "text/html";
    // Content-Length to announce; by default the body's size. A larger value
    // makes a short body: the server sends what it has and closes.
    std::optional<qint64> announcedLength;
    bool sendLength = true;
    // Accept the request and never answer (time-outs).
    bool stall = false;
    // Answer 302 with this Location.
    QByteArray redirectTo;
    // Send the body dripBytes at a time, one piece every dripIntervalMs (slow lines).
    int dripBytes = 0;
    int dripIntervalMs = 0;

    static HttpRoute page(const QByteArray& html, int status = 200);
    static HttpRoute file(const QByteArray& bytes);
};
Q_DECLARE_METATYPE(HttpRoute)

// A scripted HTTP/1.1 server on a free loopback port, running in the test's own
// event loop: per path an exact Content-Length, a short body, an error status,
// a redirect, a stall or a slow drip. Unknown paths get 404. It records every
// request. Like many web servers it can compress every answer whose request
// allows it.
class HttpTestServer : public QObject
{
    Q_OBJECT
public:
    HttpTestServer();
    ~HttpTestServer() override;

    bool isListening() const { return server_.isListening(); }
    quint16 port() const { return server_.serverPort(); }
    // http://127.0.0.1:port/ followed by path (without its leading '/').
    QString url(const QString& path = {}) const;

    void route(const QString& path, const HttpRoute& route) { routes_.insert(path, route); }
    void clearRoutes() { routes_.clear(); }

    QStringList requests; // paths in the order they arrived
    // Compress bodies (gzip or deflate) whenever the request's Accept-Encoding allows it.
    bool compressWhenAllowed = false;
    int compressedAnswers = 0;
    // Called as each request arrives, before the answer is written.
    std::function<void(const QString& path)> onRequest;

private:
    void accept();
    void readRequest(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const QString& path, const QByteArray& acceptEncoding);

    QTcpServer server_;
    QHash<QString, HttpRoute> routes_;
    QHash<QTcpSocket*, QByteArray> pending_;
};
