#include "tests/sendora/session/SessionFixture.h"

namespace {

// Short enough to keep the suite fast when something hangs, long enough for a loaded CI machine.
constexpr int kConnectTimeoutMs = 5000;
constexpr int kReplyTimeoutMs = 8000;

} // namespace

SessionFixture::SessionFixture(ServerKind kind) : server_(kind)
{
    client_.setTimeouts(kConnectTimeoutMs, kReplyTimeoutMs);
    QObject::connect(&client_, &clsFtpClient::Send, [this](qint64 bytes, const QString& response) {
        SessionEvent event;
        event.kind = SessionEvent::Send;
        event.bytes = bytes;
        event.text = response;
        events << event;
    });
    QObject::connect(&client_, &clsFtpClient::Receive, [this](qint64 bytes, const QString& response) {
        SessionEvent event;
        event.kind = SessionEvent::Receive;
        event.bytes = bytes;
        event.text = response;
        events << event;
    });
    QObject::connect(&client_, &clsFtpClient::BeginEnumFiles, [this](int count) {
        SessionEvent event;
        event.kind = SessionEvent::BeginEnumFiles;
        event.count = count;
        events << event;
    });
    QObject::connect(
        &client_,
        qOverload<const QString&, qint64, quint32, const QDateTime&, const QDateTime&, const QDateTime&>(
            &clsFtpClient::EnumFile),
        [this](const QString& name, qint64 size, quint32 attr, const QDateTime& create,
               const QDateTime& write, const QDateTime& access) {
            SessionEvent event;
            event.kind = SessionEvent::EnumFile;
            event.text = name;
            event.bytes = size;
            event.attr = attr;
            event.create = create;
            event.write = write;
            event.access = access;
            events << event;
        });
    QObject::connect(&client_, &clsFtpClient::EndEnumFile, [this](bool enumerated) {
        SessionEvent event;
        event.kind = SessionEvent::EndEnumFile;
        event.flag = enumerated;
        events << event;
    });
}

SessionFixture::~SessionFixture()
{
    client_.DisConnect();
    server_.stop();
    DiskNames::removeContents(root_.path());
}

bool SessionFixture::start(const FtpServerOptions& options)
{
    return root_.isValid() && local_.isValid() && server_.start(root_.path(), options);
}

bool SessionFixture::connect()
{
    client_.setPort(server_.port());
    return client_.Connect(server_.host(), server_.user(), server_.password());
}

QByteArray SessionFixture::diskName(const QString& name) const
{
    return server_.diskName(name);
}

bool SessionFixture::put(const QString& name, const QByteArray& content, const QDateTime& modified)
{
    const QByteArray raw = diskName(name);
    if (raw.isEmpty() || !DiskNames::writeFile(root_.path(), raw, content)) {
        return false;
    }
    if (modified.isValid() && !DiskNames::setModified(root_.path(), raw, modified)) {
        return false;
    }
    server_.grantAccess();
    return true;
}

bool SessionFixture::mkdir(const QString& name)
{
    const QByteArray raw = diskName(name);
    if (raw.isEmpty() || !DiskNames::makeDir(root_.path(), raw)) {
        return false;
    }
    server_.grantAccess();
    return true;
}

std::optional<QByteArray> SessionFixture::get(const QString& name) const
{
    return DiskNames::readFile(root_.path(), diskName(name));
}

bool SessionFixture::exists(const QString& name) const
{
    return DiskNames::exists(root_.path(), diskName(name));
}

QList<SessionEvent> SessionFixture::eventsOf(SessionEvent::Kind kind) const
{
    QList<SessionEvent> chosen;
    for (const SessionEvent& event : events) {
        if (event.kind == kind) {
            chosen << event;
        }
    }
    return chosen;
}

qint64 SessionFixture::bytesOf(SessionEvent::Kind kind) const
{
    qint64 total = 0;
    for (const SessionEvent& event : eventsOf(kind)) {
        total += event.bytes;
    }
    return total;
}

bool SessionFixture::hasProgressEvents() const
{
    return !eventsOf(SessionEvent::Send).isEmpty() || !eventsOf(SessionEvent::Receive).isEmpty();
}
