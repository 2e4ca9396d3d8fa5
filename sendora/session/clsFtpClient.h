#pragma once

#include "platform/ftp/FtpEntry.h"
#include "platform/ftp/FtpTls.h"
#include "sendora/session/CertificatePins.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class FtpSession; // platform/ftp: the protocol behind this class

// One FTP session, offered as methods, properties and events. Every call is
// synchronous; the events are emitted inside the call that causes them.
// Refusals are reported in results (false, "", 0, the zero date), never thrown,
// except an invalid Port, which Connect raises to its caller.
class clsFtpClient : public QObject
{
    Q_OBJECT
public:
    static constexpr int kAscii = 1;
    static constexpr int kBinary = 2;
    static constexpr quint32 kAttrReadOnly = 0x01;
    static constexpr quint32 kAttrDirectory = 0x10;
    static constexpr quint32 kAttrNormal = 0x80;
    // A symbolic link, as Windows marks one; its target may be a file or a folder.
    static constexpr quint32 kAttrReparsePoint = 0x400;

    explicit clsFtpClient(QObject* parent = nullptr);
    ~clsFtpClient() override;

    // The date value of "no date": 30 December 1899, 00:00:00.
    static QDateTime zeroDate();

    // Configuration.
    int Port() const;
    void setPort(int lngNewValue);
    int TransferType() const;
    void setTransferType(int enumNewType);
    bool Exists() const;
    void setExists(bool booNewExists);
    bool Reload() const;
    void setReload(bool booNewReload);
    // Connect and reply/data waits; tests shorten them.
    void setTimeouts(int connectMs, int replyMs);
    // Data connections start in passive mode instead of active ones.
    void setPassive(bool passive);
    // Listings and transfers moving fewer than bytesPerSecond on average over
    // a window fail like a time-out (100 bytes/s over 60 s unless set; tests
    // shorten it).
    void setLowSpeedLimit(qint64 bytesPerSecond, int windowMs);
    // Free space a download leaves on the local disk at least (64 MiB unless set).
    void setDiskReserve(qint64 bytes);
    // How the next Connect protects the login and the data (TLS when the
    // server offers it unless set). Certificates that no authority vouches
    // for are pinned at first use (CertificatePins).
    void setTlsPolicy(FtpTlsPolicy policy);
    // Authorities trusted beside the system's (tests trust a CA of their own).
    void setExtraAuthorities(const QList<QSslCertificate>& authorities);
    // Set when the last Connect was refused because the server showed another
    // certificate than the one pinned for it.
    std::optional<CertificateChange> refusedCertificate() const;
    // Pins the certificate of such a refusal: the next Connect trusts it.
    void acceptCertificate(const CertificateChange& change);

    // Session.
    bool Connect(const QString& strServer, const QString& strUserName, const QString& strPassword);
    bool DisConnect();
    bool IsConnect() const;
    // Ends the call in progress (one that waits, e.g. while a close request is
    // delivered to a window) at its next wake-up as a failure, like a time-out:
    // a download keeps the local file that was there, the connection is
    // closed. Without a call in progress it does nothing.
    void cancel();
    QString Response() const;
    QString CurrentDir();
    void setCurrentDir(const QString& strNewDir);

    // Listing of the current directory: BeginEnumFiles, EnumFile..., EndEnumFile.
    void EnumFile();

    // Entries.
    bool GetFileInfo(const QString& strFileName, qint64& lngSize, quint32& enmAttr, QDateTime& datCreate,
                     QDateTime& datWrite, QDateTime& datAccess);
    qint64 FileSize(const QString& strPathName);
    quint32 FileAttributes(const QString& strPathName);
    QDateTime FileCreationTime(const QString& strPathName);
    QDateTime FileLastAccessTime(const QString& strPathName);
    QDateTime FileLastWriteTime(const QString& strPathName);
    int SearchFile(QStringList& pstrGetFile, const QString& strPathName, quint32 enumAttr);
    bool CreateDirectory(const QString& strNewDirName);
    bool RenameFile(const QString& strDestFileName, const QString& strNewFileName);
    bool RemoveDirectory(const QString& strDestDirName);
    bool DeleteFile(const QString& strDestFileName);

    // Transfers.
    bool GetFile(const QString& strGetFileName, const QString& strNewFileName, quint32 enumAttr);
    bool PutFile(const QString& strPutFileName, const QString& strNewFileName);

    // "\" separated remote names become "/" separated ones.
    static QString ToFtpPath(const QString& name);

signals:
    // Only finds (listings, entry information, SearchFile) and transfers raise
    // Send and Receive: Send for each command line they send and each block of
    // an upload, Receive for each reply and each block of a download or listing
    // (blocks of at most 64 KiB); Bytes is that step's size, Response the
    // replies of the call so far. A transfer's events add up to at least the
    // file size.
    void Send(qint64 Bytes, const QString& Response);
    void Receive(qint64 Bytes, const QString& Response);
    void BeginEnumFiles(int FileCnt);
    void EnumFile(const QString& FileName, qint64 Size, quint32 Attr, const QDateTime& ftCreate,
                  const QDateTime& ftWrite, const QDateTime& ftAccess);
    void EndEnumFile(bool Enumerse);

private:
    class CallScope;
    std::optional<FtpEntry> findFirstEntry(const QString& name);

    std::unique_ptr<FtpSession> session_;
    FtpTlsOptions tls_;
    CertificatePins pins_;
    bool busy_ = false;
    int port_ = 21;
    int transferType_ = kBinary;
    bool exists_ = true;
    bool reload_ = true;
};
