#pragma once

#include <QString>
#include <sys/types.h>

// The local account one vsftpd run logs in with, made for that run and
// removed after it: no login shell, a random password, and a PAM service of
// its own (Debian's "vsftpd" service refuses accounts whose shell is not in
// /etc/shells). Nothing usable stays on the machine: remove() deletes the
// account and the service, and create() first removes what a test that died
// earlier left behind. Needs root.
class FtpTestAccount
{
public:
    FtpTestAccount() = default;
    ~FtpTestAccount();
    FtpTestAccount(const FtpTestAccount&) = delete;
    FtpTestAccount& operator=(const FtpTestAccount&) = delete;

    // home: the folder the account is served (it must exist).
    bool create(const QString& home, QString* error);
    void remove();

    bool exists() const { return !name_.isEmpty(); }
    QString name() const { return name_; }
    QString password() const { return password_; }
    // The PAM service vsftpd is told to use (pam_service_name).
    QString pamService() const { return name_; }
    uid_t uid() const { return uid_; }
    gid_t gid() const { return gid_; }

    // Accounts and services of fixtures whose process has ended.
    static void removeLeftovers();

private:
    QString name_;
    QString password_;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
};
