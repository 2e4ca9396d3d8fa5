#pragma once

#include "tests/support/ftp/FtpTestAccount.h"
#include "tests/support/ftp/PyFtpdServer.h"

#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>
#include <memory>

class QProcess;

// A second, independent real FTP server: vsftpd from a configuration of ours,
// on a free loopback port. It has no MLSD (listings go through LIST) and
// announces UTF8 only with options.utf8, so without it names travel in the
// server's raw bytes (CP932 in our tests). It serves an account made for the
// run (FtpTestAccount: no login shell, random password, removed by stop())
// chrooted to rootFolder, and must run as root: check available() and skip
// the test when it says no.
// Anonymous sessions (options.allowAnonymous) run as the system account "ftp"
// and may read, not write.
class VsftpdServer
{
public:
    VsftpdServer();
    ~VsftpdServer();
    VsftpdServer(const VsftpdServer&) = delete;
    VsftpdServer& operator=(const VsftpdServer&) = delete;

    // Whether this machine can run the server; when not, why in *reason.
    static bool available(QString* reason = nullptr);

    // options.user and options.password are ignored: see user(), password().
    // The root folder and everything in it become the run's account's.
    bool start(const QString& rootFolder, const FtpServerOptions& options = {});
    void stop();

    bool isRunning() const;
    quint16 port() const { return port_; }
    QString host() const { return options_.host; }
    // The run's account; empty when the server is not running.
    QString user() const { return account_.name(); }
    QString password() const { return account_.password(); }
    // vsftpd's protocol log ("FTP command: Client ..., \"TYPE A\"").
    QString log() const;
    QString errorString() const { return error_; }
    // Hands files created under the root after start() to the server's
    // account, so it may overwrite, rename and delete them.
    void grantAccess() const;

private:
    bool launch(quint16 port);
    bool writeConfig(quint16 port) const;
    void endProcesses();

    std::unique_ptr<QProcess> process_;
    FtpTestAccount account_;
    QTemporaryDir workDir_;
    FtpServerOptions options_;
    QString root_;
    quint16 port_ = 0;
    QString error_;
};
