#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>
#include <memory>

class QProcess;

// How a test wants its FTP server.
struct FtpServerOptions
{
    QString user = QStringLiteral("user"); // vsftpd always uses its system account (see user())
    QString password = QStringLiteral("secret");
    bool allowAnonymous = false;                // also an anonymous account, same home
    bool utf8 = true;                           // pyftpdlib always speaks UTF-8; ignored there
    bool refuseStor = false;                    // uploads (STOR, APPE, STOU) are refused with 553/550
    bool listOnly = false;                      // no MLSD/MLST: listings come from LIST, as from vsftpd
    QString host = QStringLiteral("127.0.0.1"); // "::1" for IPv6
    // Explicit TLS (AUTH TLS) with this certificate and key (PEM files) when set.
    QString tlsCertificateFile;
    QString tlsKeyFile;
    bool tlsRequired = false; // logins and data in clear are refused
};

namespace FtpFixture {

// Control connections to a loopback server port that neither side has closed
// yet: a client that really hung up no longer counts.
int openConnections(quint16 port);

// Whether a TCP socket listens on the port (either address family).
bool isListening(quint16 port);

} // namespace FtpFixture

// A real FTP server for one test: pyftpdlib under the system Python, on a free
// loopback port, serving rootFolder as the user's home with full rights. It
// logs every command and reply ("<- TYPE A", "-> 226 ...") for assertions.
// With a TLS certificate it speaks TLS through pyOpenSSL (python3-openssl).
class PyFtpdServer
{
public:
    PyFtpdServer();
    ~PyFtpdServer();
    PyFtpdServer(const PyFtpdServer&) = delete;
    PyFtpdServer& operator=(const PyFtpdServer&) = delete;

    // Starts and waits (up to 10 s) until the server accepts connections.
    bool start(const QString& rootFolder, const FtpServerOptions& options = {});
    void stop();

    bool isRunning() const;
    quint16 port() const { return port_; }
    QString host() const { return options_.host; }
    QString user() const { return options_.user; }
    QString password() const { return options_.password; }
    // Everything the server printed so far.
    QString log() const;
    // Why start() failed.
    QString errorString() const { return error_; }
    // Files added under the root after start() need nothing here (the server
    // runs as the test's own user); kept so tests treat both servers alike.
    void grantAccess() const {}

private:
    std::unique_ptr<QProcess> process_;
    QTemporaryDir workDir_;
    FtpServerOptions options_;
    quint16 port_ = 0;
    QString error_;
};
