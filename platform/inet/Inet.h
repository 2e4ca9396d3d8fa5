#pragma once

#include "platform/inet/BodyBound.h"
#include "platform/inet/LowSpeedRule.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <QTemporaryFile>
#include <QTimer>
#include <memory>

class QNetworkReply;

// The Internet transfer control of the updaters: a synchronous page fetch
// (OpenURL) and an asynchronous GET (Execute) whose completion is announced by
// StateChanged(12), after which the response header and the body, in pieces,
// can be read. The body of a download is kept in a temporary file, so large
// archives do not sit in memory. Every wait ends after a time-out. Bodies are
// asked for as stored (no compression). A download must announce its length,
// may not pass it, and fails when it stays below a low speed for a whole period.
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
    // (a request still running, a bad URL, no temporary file). State 11 follows
    // for a response without a usable Content-Length (as soon as its headers
    // arrive), a body longer than announced, and a line that is too slow.
    bool Execute(const QString& url, const QString& operation = QStringLiteral("GET"));

    // A header of the completed response by name, any letter case; empty when absent.
    QString GetHeader(const QString& name) const;
    // The next bytes of the completed body, at most size; empty once it is used up.
    QByteArray GetChunk(int size);
    // The same into the caller's buffer, which keeps its allocation from piece to piece.
    void GetChunk(QByteArray& piece, int size);

    // Drops a running request or a buffered body; no state is reported.
    void Cancel();
    bool StillExecuting() const;

    // A wait ends when nothing arrives for this long (connecting included).
    void setTimeoutMs(int ms);
    int timeoutMs() const { return timeoutMs_; }
    // OpenURL also gives up after this long in total, however slowly data trickles in.
    void setPageDeadlineMs(int ms) { pageDeadlineMs_ = ms; }
    void setPageLimitBytes(qint64 bytes) { pageLimitBytes_ = bytes; }
    // The largest Content-Length a download may announce.
    void setBodyLimitBytes(qint64 bytes) { bodyLimitBytes_ = bytes; }
    // A download fails when a whole period brings less than bytesPerSecond on
    // average (0 turns the rule off). Tests shorten the period. The defaults,
    // as the FTP client's, let any real line through (a 9600 baud modem moves
    // about 1 KB/s) and stop a server that drips a byte every few seconds.
    void setLowSpeedLimit(qint64 bytesPerSecond, int periodMs);

    static constexpr qint64 kLowSpeedBytesPerSecond = 100;
    static constexpr int kLowSpeedPeriodMs = 60000;

    // The last error in words, for diagnostics.
    QString errorString() const { return errorString_; }

signals:
    void StateChanged(int State);

private:
    void setState(State state);
    void finishDownload();
    void storeBody();
    // False (and the download failed) when the headers show no usable length.
    bool checkHeaders();
    void checkSpeed();
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
    qint64 bodyLimitBytes_ = 0x7FFFFFFF; // byte counts are 32-bit
    BodyBound bound_{0};
    qint64 lowSpeedBytesPerSecond_ = kLowSpeedBytesPerSecond;
    int lowSpeedPeriodMs_ = kLowSpeedPeriodMs;
    LowSpeedRule lowSpeed_{kLowSpeedBytesPerSecond, kLowSpeedPeriodMs};
    QElapsedTimer downloadClock_;
    qint64 lastSpeedCheckMs_ = 0;
    QTimer speedCheck_;
    QString errorString_;
};
