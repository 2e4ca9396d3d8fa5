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
}

Inet::~Inet()
{
    Cancel();
}

void Inet::setTimeoutMs(int ms)
{
    timeoutMs_ = ms > 0 ? ms : 1;
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
    errorString_.clear();
    const quint64 generation = ++generation_;

    QNetworkReply* reply = manager_.get(requestFor(target, timeoutMs_));
    reply->setReadBufferSize(kReadBufferBytes);
    reply_ = reply;
    connect(reply, &QNetworkReply::readyRead, this, [this, generation] {
        if (generation == generation_)
            storeBody();
    });
    connect(reply, &QNetworkReply::finished, this, [this, generation] {
        if (generation == generation_)
            finishDownload();
    });
    setState(RequestSending);
    return true;
}

void Inet::storeBody()
{
    if (!reply_ || !body_)
        return;
    if (!reply_->isOpen())
        return;
    setState(ReceivingResponse);
    const QByteArray data = reply_->readAll();
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
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    if (!body_->flush() || (announced.isValid() && announced.toLongLong() != body_->size())) {
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
    if (!body_ || StillExecuting() || size <= 0)
        return {};
    return body_->read(qMin(size, kMaxChunkBytes));
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
