#pragma once

#include "tests/sendora/session/DiskNames.h"
#include "tests/support/ftp/PyFtpdServer.h"
#include "tests/support/ftp/VsftpdServer.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <memory>

// The three real servers every session case runs against: pyftpdlib (MLSD,
// UTF-8), vsftpd announcing UTF8 (LIST, UTF-8) and vsftpd without it (LIST,
// names in CP932 on the wire and on disk).
enum class ServerKind
{
    PyFtpd,
    VsftpdUtf8,
    VsftpdCp932
};
Q_DECLARE_METATYPE(ServerKind)

class ServerUnderTest
{
public:
    explicit ServerUnderTest(ServerKind kind);
    ~ServerUnderTest();

    // One data row per server, column "kind".
    static void addRows();

    // Whether this machine can run the server; when not, why.
    bool canRun(QString* why) const;
    // options.utf8 is set by the kind.
    bool start(const QString& root, FtpServerOptions options = {});
    void stop();

    quint16 port() const;
    QString host() const;
    QString user() const;
    QString password() const;
    QString log() const;
    QString errorString() const;
    void grantAccess() const;
    int openConnections() const { return FtpFixture::openConnections(port()); }

    bool utf8Names() const { return kind_ != ServerKind::VsftpdCp932; }
    bool hasMlsd() const { return kind_ == ServerKind::PyFtpd; }
    bool isVsftpd() const { return kind_ != ServerKind::PyFtpd; }
    // A name as this server keeps it on disk and sends it on the wire.
    QByteArray diskName(const QString& name) const;

    // Whether the server received a command starting with `command` (e.g.
    // "TYPE A", "RETR name"), looking at the log from position `since` on.
    bool hasBeenAsked(const QString& command, qsizetype since = 0) const;
    qsizetype logMark() const { return log().size(); }

private:
    ServerKind kind_;
    std::unique_ptr<PyFtpdServer> pyftpd_;
    std::unique_ptr<VsftpdServer> vsftpd_;
};

#define SKIP_UNLESS_RUNNABLE(server)                                                                         \
    do {                                                                                                     \
        QString whyNot_;                                                                                     \
        if (!(server).canRun(&whyNot_)) {                                                                    \
            QSKIP(qPrintable(whyNot_));                                                                      \
        }                                                                                                    \
    } while (false)
