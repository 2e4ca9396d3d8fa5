#include "tests/support/ftp/VsftpdServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QProcess>
#include <QSaveFile>
#include <QTcpServer>
#include <ftw.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kBinary = "/usr/sbin/vsftpd";

quint16 freePort(const QString& host)
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress(host), 0)) {
        return 0;
    }
    return probe.serverPort();
}

// vsftpd changes into the root as the account before its chroot, so every
// folder above it must be searchable by others. Only folders inside the
// temporary location are opened up; system folders are left alone.
void makeAncestorsSearchable(const QString& root)
{
    const QString temp = QDir(QDir::tempPath()).canonicalPath();
    QDir dir(QFileInfo(root).canonicalFilePath());
    while (dir.cdUp()) {
        const QString path = dir.canonicalPath();
        if (!path.startsWith(temp + QLatin1Char('/'))) {
            break;
        }
        struct stat st
        {
        };
        const QByteArray native = QFile::encodeName(path);
        if (::stat(native.constData(), &st) == 0 && (st.st_mode & S_IXOTH) == 0) {
            ::chmod(native.constData(), (st.st_mode & 07777) | S_IXOTH);
        }
    }
}

uid_t ownerUid = 0;
gid_t ownerGid = 0;

int changeOwner(const char* path, const struct stat*, int, struct FTW*)
{
    // lchown: a symlink in a test tree is changed itself, never its target.
    (void)::lchown(path, ownerUid, ownerGid);
    return 0;
}

// Every process below `root`, children before their own children: vsftpd's
// session processes leave our process group, so killing the group misses them.
QList<pid_t> descendants(pid_t root)
{
    QMultiHash<pid_t, pid_t> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool isPid = false;
        const pid_t pid = entry.toInt(&isPid);
        if (!isPid) {
            continue;
        }
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        // "pid (name) state ppid ...": the name may hold blanks, so read after its ')'.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1) {
            children.insert(static_cast<pid_t>(fields[1].toInt()), pid);
        }
    }
    QList<pid_t> found;
    QList<pid_t> pending{root};
    while (!pending.isEmpty()) {
        const pid_t parent = pending.takeFirst();
        for (const pid_t child : children.values(parent)) {
            found << child;
            pending << child;
        }
    }
    return found;
}

} // namespace

VsftpdServer::VsftpdServer() = default;

VsftpdServer::~VsftpdServer()
{
    stop();
}

bool VsftpdServer::available(QString* reason)
{
    QString why;
    if (!QFileInfo::exists(QString::fromLatin1(kBinary))) {
        why = QStringLiteral("vsftpd is not installed (scripts/deps.sh installs it)");
    } else if (::geteuid() != 0) {
        why = QStringLiteral("vsftpd must run as root (CI runs the tests as root)");
    }
    if (reason) {
        *reason = why;
    }
    return why.isEmpty();
}

bool VsftpdServer::start(const QString& rootFolder, const FtpServerOptions& options)
{
    stop();
    options_ = options;
    error_.clear();
    if (!available(&error_)) {
        return false;
    }
    if (!workDir_.isValid()) {
        error_ = QStringLiteral("no temporary folder for the server's configuration");
        return false;
    }
    if (options.allowAnonymous && ::getpwnam("ftp") == nullptr) {
        error_ =
            QStringLiteral("anonymous sessions need the system account ftp (the vsftpd package creates it)");
        return false;
    }
    root_ = QFileInfo(rootFolder).canonicalFilePath();
    if (root_.isEmpty()) {
        error_ = QStringLiteral("the root folder %1 does not exist").arg(rootFolder);
        return false;
    }
    if (!account_.create(root_, &error_)) {
        return false;
    }
    makeAncestorsSearchable(root_);
    grantAccess();
    if (options.allowAnonymous) {
        // Temporary folders are private to their owner; the anonymous account must read this one.
        ::chmod(QFile::encodeName(root_).constData(), 0755);
    }

    // A port taken between our probe and vsftpd's bind makes vsftpd exit: try another.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const quint16 port = freePort(options.host);
        if (port == 0) {
            error_ = QStringLiteral("no free port on %1").arg(options.host);
            break;
        }
        if (launch(port)) {
            port_ = port;
            return true;
        }
    }
    stop();
    return false;
}

bool VsftpdServer::writeConfig(quint16 port) const
{
    const QString empty = workDir_.filePath(QStringLiteral("empty"));
    QDir().mkpath(empty);
    ::chmod(QFile::encodeName(empty).constData(), 0755);

    const bool ipv6 = options_.host.contains(QLatin1Char(':'));
    QStringList lines;
    if (ipv6) {
        lines << QStringLiteral("listen=NO") << QStringLiteral("listen_ipv6=YES")
              << QStringLiteral("listen_address6=%1").arg(options_.host);
    } else {
        lines << QStringLiteral("listen=YES") << QStringLiteral("listen_ipv6=NO")
              << QStringLiteral("listen_address=%1").arg(options_.host);
    }
    lines << QStringLiteral("listen_port=%1").arg(port) << QStringLiteral("background=NO")
          << QStringLiteral("seccomp_sandbox=NO") << QStringLiteral("secure_chroot_dir=%1").arg(empty)
          << QStringLiteral("pam_service_name=%1").arg(account_.pamService())
          << QStringLiteral("local_enable=YES") << QStringLiteral("write_enable=YES")
          << QStringLiteral("local_umask=022") << QStringLiteral("local_root=%1").arg(root_)
          << QStringLiteral("chroot_local_user=YES") << QStringLiteral("allow_writeable_chroot=YES")
          << QStringLiteral("connect_from_port_20=NO")
          << QStringLiteral("use_localtime=NO")
          // TYPE A converts line ends, as on the servers our users reach.
          << QStringLiteral("ascii_upload_enable=YES") << QStringLiteral("ascii_download_enable=YES")
          << QStringLiteral("dirmessage_enable=NO") << QStringLiteral("ftpd_banner=vsftpd test server ready.")
          << QStringLiteral("syslog_enable=NO") << QStringLiteral("xferlog_enable=YES")
          << QStringLiteral("xferlog_std_format=NO") << QStringLiteral("log_ftp_protocol=YES")
          << QStringLiteral("vsftpd_log_file=%1").arg(workDir_.filePath(QStringLiteral("vsftpd.log")))
          << QStringLiteral("utf8_filesystem=%1").arg(options_.utf8 ? "YES" : "NO")
          << QStringLiteral("delay_failed_login=0") << QStringLiteral("idle_session_timeout=120")
          << QStringLiteral("data_connection_timeout=60");
    if (options_.allowAnonymous) {
        // Anonymous sessions run as the system's "ftp" account, which must not
        // be able to write the root: vsftpd refuses a writable anonymous chroot.
        lines << QStringLiteral("anonymous_enable=YES") << QStringLiteral("no_anon_password=YES")
              << QStringLiteral("anon_root=%1").arg(root_);
    } else {
        lines << QStringLiteral("anonymous_enable=NO");
    }
    if (options_.refuseStor) {
        lines << QStringLiteral("cmds_denied=STOR,APPE,STOU");
    }
    if (!options_.tlsCertificateFile.isEmpty()) {
        // require_ssl_reuse stays at its default (YES): data connections must resume the control's session.
        const char* forced = options_.tlsRequired ? "YES" : "NO";
        lines << QStringLiteral("ssl_enable=YES")
              << QStringLiteral("rsa_cert_file=%1").arg(options_.tlsCertificateFile)
              << QStringLiteral("rsa_private_key_file=%1").arg(options_.tlsKeyFile)
              << QStringLiteral("force_local_logins_ssl=%1").arg(forced)
              << QStringLiteral("force_local_data_ssl=%1").arg(forced);
    }

    QSaveFile config(workDir_.filePath(QStringLiteral("vsftpd.conf")));
    if (!config.open(QIODevice::WriteOnly)) {
        return false;
    }
    config.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
    return config.commit();
}

bool VsftpdServer::launch(quint16 port)
{
    if (!writeConfig(port)) {
        error_ = QStringLiteral("cannot write the vsftpd configuration");
        return false;
    }
    process_ = std::make_unique<QProcess>();
    // Its own process group, so stop() also ends the per-session children.
    process_->setChildProcessModifier([] { ::setsid(); });
    process_->setStandardOutputFile(workDir_.filePath(QStringLiteral("vsftpd.out")));
    process_->setProcessChannelMode(QProcess::MergedChannels);
    process_->start(QString::fromLatin1(kBinary), {workDir_.filePath(QStringLiteral("vsftpd.conf"))});
    if (!process_->waitForStarted(5000)) {
        error_ = QStringLiteral("cannot run vsftpd: %1").arg(process_->errorString());
        process_.reset();
        return false;
    }
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (process_->state() == QProcess::NotRunning || process_->waitForFinished(20)) {
            break;
        }
        if (FtpFixture::isListening(port)) {
            return true;
        }
    }
    QFile out(workDir_.filePath(QStringLiteral("vsftpd.out")));
    out.open(QIODevice::ReadOnly);
    error_ = QStringLiteral("vsftpd did not start: %1").arg(QString::fromUtf8(out.readAll()).trimmed());
    endProcesses();
    return false;
}

void VsftpdServer::stop()
{
    endProcesses();
    // After the sessions: an account still in use could not be deleted.
    account_.remove();
    port_ = 0;
}

void VsftpdServer::endProcesses()
{
    if (process_) {
        if (process_->state() != QProcess::NotRunning) {
            const auto listener = static_cast<pid_t>(process_->processId());
            // Stop the listener first so no new session appears while we end the others.
            ::kill(listener, SIGSTOP);
            for (const pid_t session : descendants(listener)) {
                ::kill(session, SIGKILL);
            }
            ::kill(-listener, SIGKILL);
            ::kill(listener, SIGKILL);
            process_->waitForFinished(5000);
        }
        process_.reset();
    }
}

bool VsftpdServer::isRunning() const
{
    return process_ && process_->state() == QProcess::Running;
}

QString VsftpdServer::log() const
{
    QFile file(workDir_.filePath(QStringLiteral("vsftpd.log")));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    // Names are logged as their raw bytes; keep whatever is not UTF-8 readable.
    return QString::fromUtf8(file.readAll());
}

void VsftpdServer::grantAccess() const
{
    if (!account_.exists() || root_.isEmpty()) {
        return;
    }
    ownerUid = account_.uid();
    ownerGid = account_.gid();
    // nftw, not QDirIterator: names in CP932 bytes do not survive a trip through QString.
    ::nftw(QFile::encodeName(root_).constData(), changeOwner, 32, FTW_PHYS);
}
