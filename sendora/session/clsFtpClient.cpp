#include "sendora/session/clsFtpClient.h"

#include "platform/ftp/FtpEntryLookup.h"
#include "platform/ftp/FtpSession.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkInterface>
#include <QPointer>
#include <QSaveFile>
#include <stdexcept>

namespace {

// The platform library hands over at most 256 bytes of reply text, NUL included.
constexpr qsizetype kResponseLimit = 256;

QDateTime fromListing(const QDateTime& value, const QDateTime& fallback)
{
    const QDateTime& chosen = value.isValid() ? value : fallback;
    if (!chosen.isValid()) // no time stamp at all: a zero FILETIME
        return QDateTime(QDate(1601, 1, 1), QTime(0, 0), Qt::UTC);
    // Listings give whole seconds in UTC: those need no rebuilding (a long listing's most common case).
    if (chosen.timeSpec() == Qt::UTC && chosen.toMSecsSinceEpoch() % 1000 == 0)
        return chosen;
    const QTime time = chosen.time();
    return QDateTime(chosen.date(), QTime(time.hour(), time.minute(), time.second()), Qt::UTC);
}

// A time the listing may lack; written (converted already) stands in for it
// without being converted again, once per entry of a long listing.
QDateTime orWritten(const QDateTime& value, const QDateTime& written)
{
    return value.isValid() ? fromListing(value, written) : written;
}

quint32 attributesOf(const FtpEntry& entry)
{
    quint32 attributes = entry.isDirectory ? clsFtpClient::kAttrDirectory : clsFtpClient::kAttrNormal;
    if (entry.readOnly)
        attributes |= clsFtpClient::kAttrReadOnly;
    if (entry.isSymlink)
        attributes |= clsFtpClient::kAttrReparsePoint;
    return attributes;
}

} // namespace

// Marks the object busy for one call. Send and Receive handlers run inside a
// call; should one of them (or anything else the repaint lets run) call us
// again, that call is refused instead of breaking the exchange in progress.
class clsFtpClient::CallScope
{
public:
    CallScope(clsFtpClient& client, bool report) : client_(client), entered_(!client.busy_)
    {
        if (!entered_)
            return;
        client_.busy_ = true;
        client_.session_->beginOperation();
        client_.session_->setReporting(report);
    }
    ~CallScope()
    {
        if (!entered_)
            return;
        client_.session_->setReporting(false);
        client_.session_->endOperation();
        client_.busy_ = false;
    }
    explicit operator bool() const { return entered_; }

private:
    clsFtpClient& client_;
    bool entered_;
};

clsFtpClient::clsFtpClient(QObject* parent) : QObject(parent), session_(std::make_unique<FtpSession>())
{
    session_->setProgressHandler([this](bool sent, qint64 bytes) {
        if (sent)
            emit Send(bytes, Response());
        else
            emit Receive(bytes, Response());
    });
    tls_.trust = [this](const FtpServerCertificate& presented) { return pins_.trust(presented); };
    session_->setTls(tls_);
}

clsFtpClient::~clsFtpClient()
{
    session_->logout();
}

QDateTime clsFtpClient::zeroDate()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
}

int clsFtpClient::Port() const
{
    return port_;
}

void clsFtpClient::setPort(int lngNewValue)
{
    port_ = lngNewValue;
}

int clsFtpClient::TransferType() const
{
    return transferType_;
}

void clsFtpClient::setTransferType(int enumNewType)
{
    transferType_ = enumNewType;
}

bool clsFtpClient::Exists() const
{
    return exists_;
}

void clsFtpClient::setExists(bool booNewExists)
{
    exists_ = booNewExists;
}

bool clsFtpClient::Reload() const
{
    return reload_;
}

void clsFtpClient::setReload(bool booNewReload)
{
    // We keep no cache, so every transfer is fetched from the server either way.
    reload_ = booNewReload;
}

void clsFtpClient::setTimeouts(int connectMs, int replyMs)
{
    session_->setTimeouts(connectMs, replyMs);
}

void clsFtpClient::setPassive(bool passive)
{
    session_->setPassive(passive);
}

void clsFtpClient::setLowSpeedLimit(qint64 bytesPerSecond, int windowMs)
{
    session_->setSpeedLimit({qMax<qint64>(0, bytesPerSecond), qMax(1, windowMs)});
}

void clsFtpClient::setDiskReserve(qint64 bytes)
{
    session_->setDiskReserve(bytes);
}

void clsFtpClient::setTlsPolicy(FtpTlsPolicy policy)
{
    tls_.policy = policy;
    session_->setTls(tls_);
}

void clsFtpClient::setExtraAuthorities(const QList<QSslCertificate>& authorities)
{
    tls_.extraAuthorities = authorities;
    session_->setTls(tls_);
}

std::optional<CertificateChange> clsFtpClient::refusedCertificate() const
{
    return pins_.lastRefusal();
}

void clsFtpClient::acceptCertificate(const CertificateChange& change)
{
    CertificatePins::pin(change.host, change.port, change.presented);
    pins_.forgetRefusal();
}

bool clsFtpClient::Connect(const QString& strServer, const QString& strUserName, const QString& strPassword)
{
    if (busy_)
        return false;
    DisConnect();
    pins_.forgetRefusal();
    if (strServer.isEmpty())
        return false;
    if (port_ < 1 || port_ > 65535)
        throw std::out_of_range("Port must be between 1 and 65535");
    CallScope scope(*this, false);
    return session_->login(strServer, quint16(port_), strUserName, strPassword).ok;
}

bool clsFtpClient::DisConnect()
{
    if (!busy_)
        session_->logout();
    return true;
}

bool clsFtpClient::IsConnect() const
{
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& interface : interfaces) {
        const auto flags = interface.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning) &&
            !flags.testFlag(QNetworkInterface::IsLoopBack))
            return true;
    }
    return false;
}

void clsFtpClient::cancel()
{
    if (busy_)
        session_->cancel();
}

QString clsFtpClient::Response() const
{
    const QByteArray& replies = session_->lastReplies();
    if (replies.isEmpty() || replies.size() >= kResponseLimit)
        return QString();
    QString text = session_->decode(replies);
    // A NUL from the server must not cut the text where a display would stop.
    text.replace(QChar(0), QChar(QChar::ReplacementCharacter));
    return text;
}

QString clsFtpClient::CurrentDir()
{
    CallScope scope(*this, false);
    QString dir;
    if (!scope || !session_->currentDirectory(dir))
        return QString();
    return dir;
}

void clsFtpClient::setCurrentDir(const QString& strNewDir)
{
    if (strNewDir.isEmpty() || !session_->isConnected())
        return;
    CallScope scope(*this, false);
    if (scope)
        (void)session_->changeDirectory(ToFtpPath(strNewDir)); // a property has no result: Response tells
}

void clsFtpClient::EnumFile()
{
    QList<FtpEntry> entries;
    bool listed = false;
    {
        CallScope scope(*this, true);
        listed = scope && session_->listDirectory(QString(), entries).ok;
    }
    QPointer<clsFtpClient> self(this);
    if (!listed || entries.isEmpty()) {
        emit BeginEnumFiles(0);
        if (self)
            emit EndEnumFile(false);
        return;
    }
    emit BeginEnumFiles(int(entries.size()));
    for (const FtpEntry& entry : std::as_const(entries)) {
        if (!self)
            return;
        const QDateTime written = fromListing(entry.modified, QDateTime());
        if (!entry.created.isValid() && !entry.accessed.isValid()) // ls lines: no copies of one time
            emit EnumFile(entry.name, entry.size, attributesOf(entry), written, written, written);
        else
            emit EnumFile(entry.name, entry.size, attributesOf(entry), orWritten(entry.created, written),
                          written, orWritten(entry.accessed, written));
    }
    if (self)
        emit EndEnumFile(true);
}

std::optional<FtpEntry> clsFtpClient::findFirstEntry(const QString& name)
{
    CallScope scope(*this, true);
    FtpEntry entry;
    if (!scope || !FtpEntryLookup(*session_).findEntry(ToFtpPath(name), entry))
        return std::nullopt;
    return entry;
}

bool clsFtpClient::GetFileInfo(const QString& strFileName, qint64& lngSize, quint32& enmAttr,
                               QDateTime& datCreate, QDateTime& datWrite, QDateTime& datAccess)
{
    const auto entry = findFirstEntry(strFileName);
    if (!entry)
        return false;
    const QDateTime written = fromListing(entry->modified, QDateTime());
    lngSize = entry->size;
    enmAttr = attributesOf(*entry);
    datWrite = written;
    datCreate = fromListing(entry->created, written);
    datAccess = fromListing(entry->accessed, written);
    return true;
}

qint64 clsFtpClient::FileSize(const QString& strPathName)
{
    const auto entry = findFirstEntry(strPathName);
    return entry ? entry->size : 0;
}

quint32 clsFtpClient::FileAttributes(const QString& strPathName)
{
    const auto entry = findFirstEntry(strPathName);
    return entry ? attributesOf(*entry) : 0;
}

QDateTime clsFtpClient::FileCreationTime(const QString& strPathName)
{
    const auto entry = findFirstEntry(strPathName);
    if (!entry)
        return zeroDate();
    return fromListing(entry->created, fromListing(entry->modified, QDateTime()));
}

QDateTime clsFtpClient::FileLastAccessTime(const QString& strPathName)
{
    const auto entry = findFirstEntry(strPathName);
    if (!entry)
        return zeroDate();
    return fromListing(entry->accessed, fromListing(entry->modified, QDateTime()));
}

QDateTime clsFtpClient::FileLastWriteTime(const QString& strPathName)
{
    const auto entry = findFirstEntry(strPathName);
    return entry ? fromListing(entry->modified, QDateTime()) : zeroDate();
}

int clsFtpClient::SearchFile(QStringList& pstrGetFile, const QString& strPathName, quint32 enumAttr)
{
    QList<FtpEntry> entries;
    {
        CallScope scope(*this, true);
        if (!scope || !FtpEntryLookup(*session_).search(ToFtpPath(strPathName), entries))
            return 0;
    }
    QStringList names;
    for (const FtpEntry& entry : std::as_const(entries)) {
        if (enumAttr & attributesOf(entry))
            names.append(entry.name);
    }
    if (!names.isEmpty())
        pstrGetFile = names;
    return int(names.size());
}

bool clsFtpClient::CreateDirectory(const QString& strNewDirName)
{
    CallScope scope(*this, false);
    return scope && session_->makeDirectory(ToFtpPath(strNewDirName)).ok;
}

bool clsFtpClient::RenameFile(const QString& strDestFileName, const QString& strNewFileName)
{
    CallScope scope(*this, false);
    return scope && session_->rename(ToFtpPath(strDestFileName), ToFtpPath(strNewFileName)).ok;
}

bool clsFtpClient::RemoveDirectory(const QString& strDestDirName)
{
    CallScope scope(*this, false);
    return scope && session_->removeDirectory(ToFtpPath(strDestDirName)).ok;
}

bool clsFtpClient::DeleteFile(const QString& strDestFileName)
{
    CallScope scope(*this, false);
    return scope && session_->deleteFile(ToFtpPath(strDestFileName)).ok;
}

bool clsFtpClient::GetFile(const QString& strGetFileName, const QString& strNewFileName, quint32 enumAttr)
{
    CallScope scope(*this, true);
    if (!scope || strNewFileName.isEmpty())
        return false;
    if (!exists_ && QFileInfo::exists(strNewFileName))
        return false;
    if (!session_->isConnected())
        return false;
    // Received beside the target; the target is replaced only once the server
    // confirmed the transfer, so a failure never costs the file that was there.
    QSaveFile file(strNewFileName);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QString folder = QFileInfo(strNewFileName).absolutePath();
    if (!session_->download(ToFtpPath(strGetFileName), file, transferType_ == kAscii, folder)) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;
    if (enumAttr & kAttrReadOnly) {
        QFile::setPermissions(strNewFileName,
                              QFile::permissions(strNewFileName) & ~(QFile::WriteOwner | QFile::WriteUser |
                                                                     QFile::WriteGroup | QFile::WriteOther));
    }
    return true;
}

bool clsFtpClient::PutFile(const QString& strPutFileName, const QString& strNewFileName)
{
    CallScope scope(*this, true);
    if (!scope || !QFileInfo(strPutFileName).isFile() || !session_->isConnected())
        return false;
    QFile file(strPutFileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return session_->upload(file, ToFtpPath(strNewFileName), transferType_ == kAscii).ok;
}

QString clsFtpClient::ToFtpPath(const QString& name)
{
    QString converted = name;
    converted.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return converted;
}
