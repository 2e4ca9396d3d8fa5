#include "tests/support/ftp/FtpTestAccount.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStringList>
#include <QThread>
#include <cerrno>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

namespace {

// "sendora-ftp-<pid>-<random>": the pid tells a leftover from an account in use.
const QString kPrefix = QStringLiteral("sendora-ftp-");
const QString kPamFolder = QStringLiteral("/etc/pam.d/");

// Accounts without a shell in /etc/shells pass pam_unix, unlike Debian's vsftpd stack.
const QByteArray kPamService = "# Sendora test fixture: one vsftpd run, removed after it.\n"
                               "auth required pam_unix.so\n"
                               "account required pam_unix.so\n"
                               "session optional pam_unix.so\n";

// Runs a shadow tool; the password files are locked for a moment by other
// test processes doing the same, so a refusal is tried again.
bool runTool(const QString& program, const QStringList& arguments, const QByteArray& input = {},
             QString* error = nullptr)
{
    QString output;
    for (int attempt = 0; attempt < 10; ++attempt) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        if (!process.waitForStarted(5000)) {
            output = process.errorString();
            break;
        }
        if (!input.isEmpty())
            process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(15000)) {
            process.kill();
            process.waitForFinished(1000);
            output = QStringLiteral("timed out");
            continue;
        }
        if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
            return true;
        output = QString::fromLocal8Bit(process.readAll()).trimmed();
        QThread::msleep(100 + 100 * attempt);
    }
    if (error)
        *error = QStringLiteral("%1 failed: %2").arg(program, output);
    return false;
}

QString randomText(int length)
{
    static const char alphabet[] = "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789";
    QString text;
    for (int i = 0; i < length; ++i)
        text += QLatin1Char(alphabet[QRandomGenerator::system()->bounded(int(sizeof alphabet) - 1)]);
    return text;
}

void removeAccount(const QString& name)
{
    // --force: a session vsftpd just killed may not have been reaped yet.
    runTool(QStringLiteral("userdel"), {QStringLiteral("--force"), name});
    QFile::remove(kPamFolder + name);
}

} // namespace

FtpTestAccount::~FtpTestAccount()
{
    remove();
}

bool FtpTestAccount::create(const QString& home, QString* error)
{
    remove();
    removeLeftovers();
    const QString name = kPrefix + QStringLiteral("%1-%2").arg(::getpid()).arg(randomText(4).toLower());
    const QString password = randomText(24);

    QSaveFile service(kPamFolder + name);
    if (!service.open(QIODevice::WriteOnly) || service.write(kPamService) != kPamService.size() ||
        !service.commit()) {
        *error = QStringLiteral("cannot write the PAM service %1").arg(service.fileName());
        return false;
    }
    // vsftpd enters the home before the folder it serves: both are the served folder.
    if (!runTool(QStringLiteral("useradd"),
                 {QStringLiteral("--system"), QStringLiteral("--user-group"),
                  QStringLiteral("--no-create-home"), QStringLiteral("--home-dir"), home,
                  QStringLiteral("--shell"), QStringLiteral("/usr/sbin/nologin"), QStringLiteral("--comment"),
                  QStringLiteral("Sendora FTP test fixture"), name},
                 {}, error)) {
        QFile::remove(service.fileName());
        return false;
    }
    name_ = name;
    if (!runTool(QStringLiteral("chpasswd"), {},
                 (name + QLatin1Char(':') + password + QLatin1Char('\n')).toUtf8(), error)) {
        remove();
        return false;
    }
    const passwd* account = ::getpwnam(name.toLatin1().constData());
    if (account == nullptr) {
        *error = QStringLiteral("the account %1 was not created").arg(name);
        remove();
        return false;
    }
    password_ = password;
    uid_ = account->pw_uid;
    gid_ = account->pw_gid;
    return true;
}

void FtpTestAccount::remove()
{
    if (name_.isEmpty())
        return;
    removeAccount(name_);
    name_.clear();
    password_.clear();
    uid_ = 0;
    gid_ = 0;
}

void FtpTestAccount::removeLeftovers()
{
    // Accounts, and services whose account was never made (a run that died in between).
    QStringList names = QDir(kPamFolder).entryList({kPrefix + QLatin1Char('*')}, QDir::Files);
    ::setpwent();
    while (const passwd* account = ::getpwent()) {
        const QString name = QString::fromLatin1(account->pw_name);
        if (name.startsWith(kPrefix) && !names.contains(name))
            names << name;
    }
    ::endpwent();
    for (const QString& name : names) {
        const pid_t owner = name.mid(kPrefix.size()).section(QLatin1Char('-'), 0, 0).toInt();
        if (owner > 0 && ::kill(owner, 0) != 0 && errno == ESRCH)
            removeAccount(name);
    }
}
