#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QTemporaryFile>
#include <memory>

class QNetworkReply;

// The Internet transfer control of the updaters: a synchronous page fetch
// (OpenURL) and an asynchronous GET (Execute) whose completion is announced by
// StateChanged(12), after which the response header and the body, in pieces,
// can be read. The body of a download is kept in a temporary file, so large
// archives do not sit in memory. Every wait ends after a time-out.
class Inet : public QObject
{
    Q_OBJECT
public:
    enum State
    {
        None = 0,
        ResolvingHost = 1,
        HostResolved = 2,
        Connecting = 3,
        Connected = 4,
        RequestSending = 5,
        RequestSent = 6,
        ReceivingResponse = 7,
        ResponseReceived = 8,
        Disconnecting = 9,
        Disconnected = 10,
        Error = 11,
        ResponseCompleted = 12,
    };

    explicit Inet(QObject* parent = nullptr);
    ~Inet() override;

    // The whole page as text; an empty text on any failure: network error,
    // time-out, a status outside 2xx or a page larger than the page limit.
    QString OpenURL(const QString& url);

    // Starts a GET and returns at once; false when the request is refused
    // (a request still running, a bad URL, no temporary file).
    bool Execute(const QString& url, const QString& operation = QStringLiteral("GET"));

    // A header of the completed response by name, any letter case; empty when absent.
    QString GetHeader(const QString& name) const;
    // The next bytes of the completed body, at most size; empty once it is used up.
    QByteArray GetChunk(int size);

    // Drops a running request or a buffered body; no state is reported.
    void Cancel();
    bool StillExecuting() const;

    // A wait ends when nothing arrives for this long (connecting included).
    void setTimeoutMs(int ms);
    int timeoutMs() const { return timeoutMs_; }
    // OpenURL also gives up after this long in total, however slowly data trickles in.
    void setPageDeadlineMs(int ms) { pageDeadlineMs_ = ms; }
    void setPageLimitBytes(qint64 bytes) { pageLimitBytes_ = bytes; }

    // The last error in words, for diagnostics.
    QString errorString() const { return errorString_; }

signals:
    void StateChanged(int State);

private:
    void setState(State state);
    void finishDownload();
    void storeBody();
    void failDownload(const QString& why);
    // Aborts and forgets the running request, its body and headers.
    void dropTransfer();

    QNetworkAccessManager manager_;
    QPointer<QNetworkReply> reply_;
    std::unique_ptr<QTemporaryFile> body_;
    QList<QPair<QByteArray, QByteArray>> headers_;
    State state_ = None;
    quint64 generation_ = 0;
    int timeoutMs_ = 30000;
    int pageDeadlineMs_ = 120000;
    qint64 pageLimitBytes_ = 8 * 1024 * 1024;
    QString errorString_;
};
