#include "tests/support/ftp/PyFtpdServer.h"

#include "tests/support/common/TestEnvironment.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

namespace FtpFixture {

namespace {

// Sockets of the given TCP state (hex, as /proc/net/tcp writes it) whose local
// port is the given one, over IPv4 and IPv6.
int countSockets(quint16 port, const QByteArray& state)
{
    int count = 0;
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        QFile file(QString::fromLatin1(table));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        // The first line is the column header.
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QList<QByteArray> fields = lines[i].simplified().split(' ');
            if (fields.size() < 4) {
                continue;
            }
            const QByteArray& local = fields[1];
            const qsizetype colon = local.lastIndexOf(':');
            bool ok = false;
            const uint localPort = local.mid(colon + 1).toUInt(&ok, 16);
            if (ok && localPort == port && fields[3] == state) {
                ++count;
            }
        }
    }
    return count;
}

} // namespace

int openConnections(quint16 port)
{
    return countSockets(port, "01"); // ESTABLISHED
}

bool isListening(quint16 port)
{
    return countSockets(port, "0A") > 0; // LISTEN
}

} // namespace FtpFixture

PyFtpdServer::PyFtpdServer() = default;

PyFtpdServer::~PyFtpdServer()
{
    stop();
}

bool PyFtpdServer::start(const QString& rootFolder, const FtpServerOptions& options)
{
    stop();
    options_ = options;
    error_.clear();
    if (!workDir_.isValid()) {
        error_ = QStringLiteral("no temporary folder for the server's log");
        return false;
    }
    const QString logPath = workDir_.filePath(QStringLiteral("pyftpd.log"));
    const QString errPath = workDir_.filePath(QStringLiteral("pyftpd.err"));
    QFile::remove(logPath);
    QFile::remove(errPath);

    QStringList args{QStringLiteral(FTP_SUPPORT_SCRIPT_DIR "/pyftpd_server.py"),
                     QStringLiteral("--root"),
                     rootFolder,
                     QStringLiteral("--host"),
                     options.host,
                     QStringLiteral("--user"),
                     options.user,
                     QStringLiteral("--password"),
                     options.password};
    if (options.allowAnonymous) {
        args << QStringLiteral("--anonymous");
    }
    if (options.listOnly) {
        args << QStringLiteral("--list-only");
    }
    if (options.refuseStor) {
        args << QStringLiteral("--refuse-stor");
    }
    if (!options.tlsCertificateFile.isEmpty()) {
        args << QStringLiteral("--tls-cert") << options.tlsCertificateFile << QStringLiteral("--tls-key")
             << options.tlsKeyFile;
        if (options.tlsRequired) {
            args << QStringLiteral("--tls-required");
        }
    }

    process_ = std::make_unique<QProcess>();
    process_->setStandardOutputFile(logPath);
    process_->setStandardErrorFile(errPath);
    process_->start(TestEnvironment::systemPython(), args);
    if (!process_->waitForStarted(5000)) {
        error_ =
            QStringLiteral("cannot run %1: %2").arg(TestEnvironment::systemPython(), process_->errorString());
        process_.reset();
        return false;
    }

    // The script prints "PORT <n>" once it listens.
    static const QRegularExpression portLine(QStringLiteral("^PORT (\\d+)$"),
                                             QRegularExpression::MultilineOption);
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        const QRegularExpressionMatch match = portLine.match(log());
        if (match.hasMatch()) {
            port_ = static_cast<quint16>(match.captured(1).toUInt());
            return true;
        }
        if (process_->state() == QProcess::NotRunning || process_->waitForFinished(20)) {
            break;
        }
    }
    QFile err(errPath);
    err.open(QIODevice::ReadOnly);
    error_ = QStringLiteral("pyftpdlib did not start: %1").arg(QString::fromUtf8(err.readAll()));
    stop();
    return false;
}

void PyFtpdServer::stop()
{
    if (process_) {
        if (process_->state() != QProcess::NotRunning) {
            process_->kill();
            process_->waitForFinished(5000);
        }
        process_.reset();
    }
    port_ = 0;
}

bool PyFtpdServer::isRunning() const
{
    return process_ && process_->state() == QProcess::Running;
}

QString PyFtpdServer::log() const
{
    QFile file(workDir_.filePath(QStringLiteral("pyftpd.log")));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}
