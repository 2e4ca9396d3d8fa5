#include "platform/ftp/FtpSession.h"

#include "platform/ftp/FtpDownloadCheck.h"
#include "platform/ftp/FtpLineEnds.h"
#include "platform/ftp/FtpLogin.h"
#include "platform/ftp/FtpReplyParsing.h"
#include "platform/ftp/listing/FtpListingParser.h"
#include "platform/ftp/listing/FtpListingReader.h"
#include "platform/text/LegacyText.h"

#include <QIODevice>
#include <algorithm>

namespace {

// A listing larger than this is not a listing a person could use.
constexpr qsizetype kMaxListingBytes = 512 * 1024 * 1024;
// Nor one with more entries: it bounds the memory a listing takes in the
// window (a few hundred bytes per entry), whatever the lines' length.
constexpr qsizetype kMaxListingEntries = 1'000'000;
// Names kept for sending back as raw bytes; a bound, not a working limit.
constexpr qsizetype kMaxRememberedNames = 100000;
constexpr int kQuitTimeoutMs = 2000;

FtpResult refused(const FtpReply& reply)
{
    return FtpResult::failure(reply.code, QString::fromLatin1(reply.text.trimmed()));
}

bool unsafeForCommand(const QString& text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) || text.contains(QChar(0));
}

bool isAscii(const QByteArray& bytes)
{
    return std::all_of(bytes.cbegin(), bytes.cend(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::optional<QByteArray> encodeText(const QString& text, FtpNameEncoding encoding)
{
    if (encoding == FtpNameEncoding::Utf8)
        return text.toUtf8();
    return LegacyText::encode(text);
}

} // namespace

FtpSession::FtpSession() : control_(wait_)
{
    control_.setObserver(
        [this](bool sent, qint64 bytes, const FtpReply* reply) { onControl(sent, bytes, reply); });
}

FtpSession::~FtpSession()
{
    logout();
}

void FtpSession::setTimeouts(int connectMs, int replyMs)
{
    connectTimeoutMs_ = qMax(1, connectMs);
    replyTimeoutMs_ = qMax(1, replyMs);
    control_.setSendTimeout(replyTimeoutMs_);
}

void FtpSession::beginOperation()
{
    wait_.clearCancel();
    // The last reply stays readable until this call receives one of its own.
    replaceReplies_ = true;
}

void FtpSession::endOperation()
{
    if (wait_.cancelled())
        control_.close();
    wait_.clearCancel();
}

QString FtpSession::decode(const QByteArray& bytes) const
{
    return FtpListingParser::decodeName(bytes, encoding_);
}

void FtpSession::onControl(bool sent, qint64 bytes, const FtpReply* reply)
{
    if (reply) {
        if (replaceReplies_)
            replies_ = reply->text;
        else
            replies_.append(reply->text);
        replaceReplies_ = false;
    }
    if (reporting_ && progress_)
        progress_(sent, bytes);
}

bool FtpSession::isConnected() const
{
    return control_.isOpen();
}

FtpResult FtpSession::exchange(const QByteArray& line, std::optional<FtpReply>& reply)
{
    return control_.exchange(line, reply, replyTimeoutMs_);
}

FtpResult FtpSession::askQuietly(const QByteArray& line, std::optional<FtpReply>& reply)
{
    control_.setQuiet(true);
    FtpResult result = exchange(line, reply);
    control_.setQuiet(false);
    return result;
}

FtpResult FtpSession::command(const QByteArray& verb, const QString& argument,
                              std::initializer_list<int> accepted)
{
    const auto bytes = encodePath(argument);
    if (!bytes)
        return FtpResult::failure(QStringLiteral("The name cannot be sent to this server."));
    std::optional<FtpReply> reply;
    if (FtpResult sent = exchange(verb + ' ' + *bytes + "\r\n", reply); !sent)
        return sent;
    const bool ok = accepted.size()
                        ? std::find(accepted.begin(), accepted.end(), reply->code) != accepted.end()
                        : reply->isCompletion();
    return ok ? FtpResult::success(reply->code) : refused(*reply);
}

FtpResult FtpSession::login(const QString& host, quint16 port, const QString& user, const QString& password)
{
    logout();
    encoding_ = FtpNameEncoding::Cp932;
    mlst_ = false;
    rawNames_.clear();
    mode_.epsvRefused = false;
    mode_.tls = false;
    if (unsafeForCommand(user) || unsafeForCommand(password))
        return FtpResult::failure(QStringLiteral("The user name or password contains a line break."));
    bool retryInClear = false;
    FtpResult result = attemptLogin(host, port, user, password, tls_.policy, retryInClear);
    if (retryInClear && !wait_.cancelled()) {
        // The server offered TLS and then broke it: a new connection, in clear as before.
        replaceReplies_ = true;
        result = attemptLogin(host, port, user, password, FtpTlsPolicy::Never, retryInClear);
    }
    if (!result) {
        control_.close();
        return result;
    }
    negotiateFeatures();
    if (!control_.isOpen())
        return FtpResult::failure(control_.lastError());
    return result;
}

FtpResult FtpSession::attemptLogin(const QString& host, quint16 port, const QString& user,
                                   const QString& password, FtpTlsPolicy policy, bool& retryInClear)
{
    if (FtpResult opened = control_.open(host, port, connectTimeoutMs_); !opened)
        return opened;
    const FtpLogin::Outcome outcome =
        FtpLogin(control_, tls_, replyTimeoutMs_).run({user, password, account_}, policy);
    retryInClear = outcome.retryInClear;
    mode_.tls = outcome.dataProtected;
    return outcome.result;
}

void FtpSession::negotiateFeatures()
{
    // Our own questions: their replies are not part of what the login received.
    std::optional<FtpReply> reply;
    if (askQuietly("FEAT\r\n", reply) && reply->code == 211) {
        const auto features = FtpReplyParsing::parseFeatures(reply->text);
        mlst_ = features.mlst;
        if (features.utf8) {
            std::optional<FtpReply> opts;
            // A server that announces UTF8 uses it whether or not it takes the option.
            (void)askQuietly("OPTS UTF8 ON\r\n", opts);
            encoding_ = FtpNameEncoding::Utf8;
        }
    }
}

void FtpSession::logout()
{
    if (control_.isOpen()) {
        control_.setQuiet(true);
        if (control_.send("QUIT\r\n"))
            control_.read(qMin(replyTimeoutMs_, kQuitTimeoutMs), nullptr, false);
        control_.setQuiet(false);
    }
    control_.close();
}

std::optional<QByteArray> FtpSession::encodePath(const QString& path) const
{
    if (unsafeForCommand(path))
        return std::nullopt;
    QByteArray out;
    const QStringList parts = path.split(QLatin1Char('/'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out.append('/');
        const QString& part = parts.at(i);
        if (part.isEmpty())
            continue;
        if (const auto raw = rawNames_.constFind(part); raw != rawNames_.cend()) {
            out.append(*raw);
            continue;
        }
        const auto bytes = encodeText(part, encoding_);
        if (!bytes)
            return std::nullopt;
        out.append(*bytes);
    }
    return out;
}

void FtpSession::rememberRaw(const QByteArray& raw, const QString& name)
{
    // ASCII names are the same bytes in either encoding: most names, checked cheaply.
    if (raw.isEmpty() || isAscii(raw) || encodeText(name, encoding_) == raw)
        return;
    if (rawNames_.size() >= kMaxRememberedNames)
        rawNames_.clear();
    rawNames_.insert(name, raw);
}

void FtpSession::remember(const QList<FtpEntry>& entries)
{
    for (const FtpEntry& entry : entries)
        rememberRaw(entry.rawName, entry.name);
}

FtpResult FtpSession::currentDirectory(QString& dir)
{
    std::optional<FtpReply> reply;
    if (FtpResult sent = exchange("PWD\r\n", reply); !sent)
        return sent;
    if (reply->code != 257)
        return refused(*reply);
    // A cut reply would give a wrong directory, not a shorter one.
    const auto raw = reply->truncated ? std::nullopt : FtpReplyParsing::parsePwd(reply->text);
    if (!raw)
        return FtpResult::failure(reply->code, QStringLiteral("Unreadable PWD reply."));
    QStringList parts;
    for (const QByteArray& part : raw->split('/')) {
        const QString name = decode(part);
        rememberRaw(part, name);
        parts.append(name);
    }
    dir = parts.join(QLatin1Char('/'));
    return FtpResult::success(reply->code);
}

FtpResult FtpSession::changeDirectory(const QString& dir)
{
    return command("CWD", dir);
}

FtpResult FtpSession::makeDirectory(const QString& name)
{
    return command("MKD", name);
}

FtpResult FtpSession::removeDirectory(const QString& name)
{
    return command("RMD", name);
}

FtpResult FtpSession::deleteFile(const QString& name)
{
    return command("DELE", name);
}

FtpResult FtpSession::rename(const QString& from, const QString& to)
{
    if (!encodePath(to))
        return FtpResult::failure(QStringLiteral("The new name cannot be sent to this server."));
    if (FtpResult first = command("RNFR", from, {350}); !first)
        return first;
    return command("RNTO", to);
}

FtpDataExchange FtpSession::data()
{
    return FtpDataExchange(control_, wait_, mode_, replyTimeoutMs_, speedLimit_,
                           [this](bool sent, qint64 bytes) {
                               if (reporting_ && progress_)
                                   progress_(sent, bytes);
                           });
}

FtpResult FtpSession::setType(bool ascii)
{
    std::optional<FtpReply> reply;
    if (FtpResult sent = exchange(ascii ? "TYPE A\r\n" : "TYPE I\r\n", reply); !sent)
        return sent;
    return reply->isCompletion() ? FtpResult::success(reply->code) : refused(*reply);
}

FtpResult FtpSession::readListing(const QByteArray& verb, const QString& dir, bool machine,
                                  QList<FtpEntry>& entries)
{
    QByteArray line = verb;
    if (!dir.isEmpty()) {
        const auto bytes = encodePath(dir);
        if (!bytes)
            return FtpResult::failure(QStringLiteral("The name cannot be sent to this server."));
        line += ' ' + *bytes;
    }
    if (FtpResult typed = setType(true); !typed)
        return typed;
    // Parsed while the data arrives: the body is never held whole.
    FtpListingReader reader(machine, today_.isValid() ? today_ : QDate::currentDate(), encoding_,
                            kMaxListingEntries);
    qsizetype bytes = 0;
    const FtpResult received = data().receive(line + "\r\n", [&](const char* block, qsizetype size) {
        bytes += size;
        return bytes <= kMaxListingBytes && reader.feed(QByteArrayView(block, size));
    });
    if (!received || !reader.finish()) {
        return reader.count() > kMaxListingEntries
                   ? FtpResult::failure(QStringLiteral("The listing holds too many entries."))
                   : received;
    }
    // Only names that are not plain ASCII need their bytes remembered.
    const bool plainNames = reader.allNamesAscii();
    entries = reader.takeEntries();
    if (!plainNames)
        remember(entries);
    return received;
}

FtpResult FtpSession::listDirectory(const QString& dir, QList<FtpEntry>& entries)
{
    entries.clear();
    if (mlst_) {
        FtpResult result = readListing("MLSD", dir, true, entries);
        if (result || (result.code != 500 && result.code != 502))
            return result;
        mlst_ = false; // announced but not there after all
    }
    return readListing("LIST", dir, false, entries);
}

FtpResult FtpSession::describeEntry(const QString& path, FtpEntry& entry, bool& unsupported)
{
    const auto bytes = encodePath(path);
    if (!bytes)
        return FtpResult::failure(QStringLiteral("The name cannot be sent to this server."));
    std::optional<FtpReply> reply;
    if (FtpResult sent = exchange(path.isEmpty() ? QByteArray("MLST\r\n") : "MLST " + *bytes + "\r\n", reply);
        !sent)
        return sent;
    if (reply->code == 500 || reply->code == 502) {
        unsupported = true;
        return refused(*reply);
    }
    if (!reply->isCompletion())
        return refused(*reply);
    if (reply->truncated)
        return FtpResult::failure(reply->code, QStringLiteral("Unreadable MLST reply."));
    for (const QByteArray& rawLine : reply->text.split('\n')) {
        if (!rawLine.startsWith(' '))
            continue;
        QByteArray line = rawLine.mid(1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (auto parsed = FtpListingParser::parseMlsxLine(line, encoding_)) {
            entry = *parsed;
            return FtpResult::success(reply->code);
        }
    }
    return FtpResult::failure(reply->code, QStringLiteral("Unreadable MLST reply."));
}

std::optional<qint64> FtpSession::remoteSize(const QByteArray& path)
{
    std::optional<FtpReply> reply;
    if (!askQuietly("SIZE " + path + "\r\n", reply) || reply->code != 213)
        return std::nullopt;
    return FtpReplyParsing::parseSize(reply->text);
}

FtpResult FtpSession::download(const QString& remote, QIODevice& sink, bool ascii, const QString& localFolder)
{
    const auto bytes = encodePath(remote);
    if (!bytes)
        return FtpResult::failure(QStringLiteral("The name cannot be sent to this server."));
    if (FtpResult typed = setType(ascii); !typed)
        return typed;
    // Sizes are exact in binary mode only.
    FtpDownloadCheck check(localFolder, diskReserve_);
    if (!ascii) {
        if (const auto size = remoteSize(*bytes); size && !check.announce(*size))
            return FtpResult::failure(check.why());
    }
    FtpDataExchange exchange = data();
    bool openingRead = ascii;
    auto learnFromOpening = [&]() {
        if (openingRead || check.hasAnnouncement())
            return true;
        openingRead = true;
        const auto size =
            exchange.opening() ? FtpReplyParsing::parseTransferSize(exchange.opening()->text) : std::nullopt;
        return !size || check.announce(*size);
    };
    FtpAsciiDecoder decoder;
    QByteArray converted;
    FtpResult result = exchange.receive("RETR " + *bytes + "\r\n", [&](const char* block, qsizetype size) {
        if (ascii) {
            converted.clear();
            decoder.convert(block, size, converted);
            block = converted.constData();
            size = converted.size();
        }
        return learnFromOpening() && check.admit(size) && sink.write(block, size) == size;
    });
    if (!result)
        return check.why().isEmpty() ? result : FtpResult::failure(check.why());
    if (ascii) {
        converted.clear();
        decoder.finish(converted);
        if (!check.admit(converted.size()) || sink.write(converted) != converted.size())
            return FtpResult::failure(QStringLiteral("Cannot write the received data."));
    }
    if (!learnFromOpening() || !check.complete())
        return FtpResult::failure(result.code, check.why());
    return result;
}

FtpResult FtpSession::upload(QIODevice& source, const QString& remote, bool ascii)
{
    const auto bytes = encodePath(remote);
    if (!bytes)
        return FtpResult::failure(QStringLiteral("The name cannot be sent to this server."));
    if (FtpResult typed = setType(ascii); !typed)
        return typed;
    FtpAsciiEncoder encoder;
    QByteArray block(FtpDataExchange::kBlockSize, Qt::Uninitialized);
    return data().send("STOR " + *bytes + "\r\n", [&]() -> std::optional<QByteArray> {
        const qint64 got = source.read(block.data(), FtpDataExchange::kBlockSize);
        if (got < 0)
            return std::nullopt;
        if (!ascii)
            return QByteArray(block.constData(), got);
        QByteArray converted;
        encoder.convert(block.constData(), got, converted);
        return converted;
    });
}
