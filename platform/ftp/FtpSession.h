#pragma once

#include "platform/ftp/FtpControlConnection.h"
#include "platform/ftp/FtpDataExchange.h"
#include "platform/ftp/FtpEntry.h"
#include "platform/ftp/FtpResult.h"
#include "platform/ftp/FtpSpeedFloor.h"
#include "platform/ftp/FtpTls.h"
#include "platform/ftp/FtpWait.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class QIODevice;

// One FTP session: login, the working directory, listings, entry lookups,
// transfers and the simple commands, each a synchronous call with an explicit
// result. Names are sent in the session's encoding (UTF-8 when the server
// announces it, CP932 otherwise); a name that came from a listing goes back
// as exactly the bytes the server sent. The login and the data are protected
// with TLS as the TLS options ask (see FtpLogin).
class FtpSession
{
public:
    // Told of every command line and reply of an operation while reporting is
    // on, and of every data block (sent: true for data we send).
    using ProgressHandler = std::function<void(bool sent, qint64 bytes)>;

    FtpSession();
    ~FtpSession();
    FtpSession(const FtpSession&) = delete;
    FtpSession& operator=(const FtpSession&) = delete;

    void setTimeouts(int connectMs, int replyMs);
    int replyTimeout() const { return replyTimeoutMs_; }
    // Start in passive mode instead of active (active stays the default).
    void setPassive(bool passive) { mode_.passive = passive; }
    bool isPassive() const { return mode_.passive; }
    // Answer to a 332 "need account"; the password when not set.
    void setAccount(const QString& account) { account_ = account; }
    // For the next login.
    void setTls(const FtpTlsOptions& options) { tls_ = options; }
    // Whether the data connections are protected (PROT P).
    bool protectsData() const { return mode_.tls; }
    void setProgressHandler(ProgressHandler handler) { progress_ = std::move(handler); }
    void setReporting(bool on) { reporting_ = on; }
    // Today's date for year-less listing dates (tests fix it).
    void setToday(const QDate& today) { today_ = today; }
    // Listings and transfers slower than this fail like a time-out.
    void setSpeedLimit(const FtpSpeedLimit& limit) { speedLimit_ = limit; }
    // Free space a download leaves on the local disk at least.
    void setDiskReserve(qint64 bytes) { diskReserve_ = bytes; }
    static constexpr qint64 kDefaultDiskReserve = 64 * 1024 * 1024;

    // Starts a call: its first reply starts a new record (see lastReplies()).
    void beginOperation();
    // Ends a call; one that was cancelled leaves the connection closed.
    void endOperation();
    // Called while a call waits (from an event its pumps deliver): the call
    // ends at its next wake-up as a failure, like a time-out. A download's
    // partial data never replaces a local file (the caller's sink decides).
    void cancel() { wait_.cancel(); }
    // The replies of the current call, each line ending CR LF; until the call
    // receives its first reply, those of the last call that received any.
    const QByteArray& lastReplies() const { return replies_; }
    QString decode(const QByteArray& bytes) const;

    FtpResult login(const QString& host, quint16 port, const QString& user, const QString& password);
    void logout();
    bool isConnected() const;
    FtpNameEncoding encoding() const { return encoding_; }
    bool usesMachineListings() const { return mlst_; }

    FtpResult currentDirectory(QString& dir);
    FtpResult changeDirectory(const QString& dir);
    FtpResult makeDirectory(const QString& name);
    FtpResult removeDirectory(const QString& name);
    FtpResult deleteFile(const QString& name);
    FtpResult rename(const QString& from, const QString& to);

    // The contents of a directory ("" for the current one).
    FtpResult listDirectory(const QString& dir, QList<FtpEntry>& entries);
    // One entry described by the server itself (MLST); unsupported tells
    // when the server turned out not to know MLST.
    FtpResult describeEntry(const QString& path, FtpEntry& entry, bool& unsupported);

    // Streams a remote file into sink / a local source to a remote file. A
    // download fails when it would leave less than the disk reserve free in
    // localFolder (none: no such check) and, in binary mode, when it brings
    // more or fewer bytes than the server announced (see FtpDownloadCheck).
    FtpResult download(const QString& remote, QIODevice& sink, bool ascii, const QString& localFolder = {});
    FtpResult upload(QIODevice& source, const QString& remote, bool ascii);

    // The bytes a remote path travels as; nothing when it cannot be sent
    // (characters without a form in the encoding, line breaks, NUL).
    std::optional<QByteArray> encodePath(const QString& path) const;

private:
    FtpResult command(const QByteArray& verb, const QString& argument,
                      std::initializer_list<int> accepted = {});
    FtpResult exchange(const QByteArray& line, std::optional<FtpReply>& reply);
    // A question of our own: neither recorded nor reported.
    FtpResult askQuietly(const QByteArray& line, std::optional<FtpReply>& reply);
    std::optional<qint64> remoteSize(const QByteArray& path);
    FtpResult attemptLogin(const QString& host, quint16 port, const QString& user, const QString& password,
                           FtpTlsPolicy policy, bool& retryInClear);
    void negotiateFeatures();
    FtpResult setType(bool ascii);
    FtpResult readListing(const QByteArray& verb, const QString& dir, bool machine, QList<FtpEntry>& entries);
    void remember(const QList<FtpEntry>& entries);
    void rememberRaw(const QByteArray& raw, const QString& name);
    FtpDataExchange data();
    void onControl(bool sent, qint64 bytes, const FtpReply* reply);

    FtpWait wait_;
    FtpControlConnection control_;
    FtpDataMode mode_;
    int connectTimeoutMs_ = 30000;
    int replyTimeoutMs_ = 60000;
    QString account_;
    FtpTlsOptions tls_;
    ProgressHandler progress_;
    bool reporting_ = false;
    QByteArray replies_;
    bool replaceReplies_ = false;
    FtpNameEncoding encoding_ = FtpNameEncoding::Cp932;
    bool mlst_ = false;
    QDate today_;
    FtpSpeedLimit speedLimit_;
    qint64 diskReserve_ = kDefaultDiskReserve;
    // Listed names whose bytes do not survive decoding and encoding again.
    QHash<QString, QByteArray> rawNames_;
};
