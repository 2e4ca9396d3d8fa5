#include "platform/inet/Inet.h"

#include "platform/inet/PageText.h"

#include <QDir>
#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace {

// How much Qt may hold in memory before the body goes to the file.
constexpr qint64 kReadBufferBytes = 256 * 1024;
constexpr int kMaxChunkBytes = 1024 * 1024;

bool isSuccess(const QNetworkReply* reply)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    // Schemes without a status (file:) count as success when there is no error.
    return status == 0 || (status >= 200 && status < 300);
}

QNetworkRequest requestFor(const QUrl& url, int timeoutMs)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(timeoutMs);
    // The body as stored: Qt would otherwise ask for a compressed one, inflate
    // it and drop the Content-Length that a download is measured by.
    request.setRawHeader("Accept-Encoding", "identity");
    return request;
}

} // namespace

Inet::Inet(QObject* parent) : QObject(parent)
{
    manager_.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    connect(&speedCheck_, &QTimer::timeout, this, &Inet::checkSpeed);
}

Inet::~Inet()
{
    Cancel();
}

void Inet::setTimeoutMs(int ms)
{
    timeoutMs_ = ms > 0 ? ms : 1;
}

void Inet::setLowSpeedLimit(qint64 bytesPerSecond, int periodMs)
{
    lowSpeedBytesPerSecond_ = qMax<qint64>(bytesPerSecond, 0);
    lowSpeedPeriodMs_ = qMax(periodMs, 1);
}

QString Inet::OpenURL(const QString& url)
{
    errorString_.clear();
    const QUrl target(url);
    if (!target.isValid() || target.scheme().isEmpty()) {
        errorString_ = QStringLiteral("invalid URL");
        return {};
    }
    QNetworkReply* reply = manager_.get(requestFor(target, timeoutMs_));
    QByteArray page;
    bool tooLarge = false;
    QEventLoop loop;
    connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        page += reply->readAll();
        if (page.size() > pageLimitBytes_) {
            tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, reply, &QNetworkReply::abort);
    deadline.start(pageDeadlineMs_);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    deadline.stop();
    if (!tooLarge && reply->isOpen())
        page += reply->readAll();
    const bool ok = !tooLarge && reply->error() == QNetworkReply::NoError && isSuccess(reply);
    if (!ok)
        errorString_ = tooLarge ? QStringLiteral("page too large") : reply->errorString();
    const QByteArray contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    reply->deleteLater();
    if (!ok)
        return {};
    return PageText::decode(page, contentType);
}

bool Inet::Execute(const QString& url, const QString& operation)
{
    if (StillExecuting() || operation.compare(QLatin1String("GET"), Qt::CaseInsensitive) != 0)
        return false;
    const QUrl target(url);
    if (!target.isValid() || target.scheme().isEmpty())
        return false;
    Cancel();
    auto body = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/inet-XXXXXX.part"));
    if (!body->open())
        return false;
    body_ = std::move(body);
    bound_ = BodyBound(bodyLimitBytes_);
    errorString_.clear();
    const quint64 generation = ++generation_;

    QNetworkReply* reply = manager_.get(requestFor(target, timeoutMs_));
    reply->setReadBufferSize(kReadBufferBytes);
    reply_ = reply;
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, generation] {
        if (generation == generation_)
            checkHeaders();
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, generation] {
        if (generation == generation_)
            storeBody();
    });
    connect(reply, &QNetworkReply::finished, this, [this, generation] {
        if (generation == generation_)
            finishDownload();
    });
    if (lowSpeedBytesPerSecond_ > 0) {
        lowSpeed_ = LowSpeedRule(lowSpeedBytesPerSecond_, lowSpeedPeriodMs_);
        downloadClock_.start();
        lowSpeed_.start(0, 0);
        lastSpeedCheckMs_ = 0;
        // Often enough that the rule acts within a tenth of its period.
        speedCheck_.start(qBound(10, lowSpeedPeriodMs_ / 10, 1000));
    }
    setState(RequestSending);
    return true;
}

bool Inet::checkHeaders()
{
    if (!reply_)
        return false;
    if (bound_.announced())
        return true;
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300 && status < 400)
        return true; // the redirect is followed; the final response counts
    if (bound_.announce(reply_->rawHeader("Content-Length")))
        return true;
    failDownload(QStringLiteral("no usable Content-Length"));
    return false;
}

void Inet::checkSpeed()
{
    if (!reply_)
        return;
    const qint64 now = downloadClock_.elapsed();
    const bool late = now - lastSpeedCheckMs_ > 3 * speedCheck_.interval();
    lastSpeedCheckMs_ = now;
    // A check that comes late means this program was held up, not the line:
    // what arrived meanwhile may not be counted yet, so the period starts again.
    if (late) {
        lowSpeed_.start(now, bound_.received());
        return;
    }
    if (!lowSpeed_.keepsUp(now, bound_.received()))
        failDownload(QStringLiteral("below %1 bytes per second for %2 ms")
                         .arg(lowSpeedBytesPerSecond_)
                         .arg(lowSpeedPeriodMs_));
}

void Inet::storeBody()
{
    if (!reply_ || !body_)
        return;
    if (!reply_->isOpen())
        return;
    if (!checkHeaders())
        return;
    if (!bound_.announced()) {
        reply_->readAll(); // the body of a redirect that is being followed
        return;
    }
    setState(ReceivingResponse);
    const QByteArray data = reply_->readAll();
    if (!bound_.take(data.size())) {
        failDownload(QStringLiteral("body longer than announced"));
        return;
    }
    if (!data.isEmpty() && body_->write(data) != data.size())
        failDownload(QStringLiteral("cannot write the temporary file: ") + body_->errorString());
}

void Inet::finishDownload()
{
    if (!reply_)
        return;
    storeBody();
    if (!reply_)
        return;
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    speedCheck_.stop();
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        failDownload(reply->errorString());
        return;
    }
    if (!isSuccess(reply)) {
        failDownload(QStringLiteral("HTTP status %1")
                         .arg(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()));
        return;
    }
    headers_ = reply->rawHeaderPairs();
    if (!body_->flush() || !bound_.announced() || bound_.length() != body_->size()) {
        failDownload(QStringLiteral("body shorter than announced"));
        return;
    }
    body_->seek(0);
    setState(ResponseReceived);
    // Reported from the event loop, so that the receiver's long handler does not
    // run inside the network reply's own signal.
    const quint64 generation = generation_;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == generation_)
            setState(ResponseCompleted);
    });
}

void Inet::failDownload(const QString& why)
{
    errorString_ = why;
    dropTransfer();
    const quint64 generation = generation_;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == generation_)
            setState(Error);
    });
}

void Inet::dropTransfer()
{
    speedCheck_.stop();
    if (reply_) {
        QNetworkReply* reply = reply_;
        reply_ = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    body_.reset();
    headers_.clear();
}

QString Inet::GetHeader(const QString& name) const
{
    const QByteArray wanted = name.toLatin1().toLower();
    for (const auto& [key, value] : headers_) {
        if (key.toLower() == wanted)
            return QString::fromLatin1(value);
    }
    return {};
}

QByteArray Inet::GetChunk(int size)
{
    QByteArray piece;
    GetChunk(piece, size);
    return piece;
}

void Inet::GetChunk(QByteArray& piece, int size)
{
    if (!body_ || StillExecuting() || size <= 0) {
        piece.clear();
        return;
    }
    piece.resize(qMin(size, kMaxChunkBytes));
    const qint64 got = body_->read(piece.data(), piece.size());
    piece.resize(got > 0 ? qsizetype(got) : 0);
}

void Inet::Cancel()
{
    ++generation_;
    dropTransfer();
    state_ = None;
}

bool Inet::StillExecuting() const
{
    return !reply_.isNull();
}

void Inet::setState(State state)
{
    if (state == state_)
        return;
    state_ = state;
    emit StateChanged(state);
}
