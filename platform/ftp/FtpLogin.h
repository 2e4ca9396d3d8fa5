#pragma once

#include "platform/ftp/FtpControlConnection.h"
#include "platform/ftp/FtpResult.h"
#include "platform/ftp/FtpTls.h"

#include <QSslConfiguration>
#include <QString>

// The login conversation on a control connection just opened: the greeting;
// TLS as the policy asks (FEAT to learn whether AUTH TLS is offered, AUTH TLS,
// the handshake and the certificate check, all before the user name); USER,
// PASS and ACCT; then PBSZ 0 and PROT P, so that the data is protected too.
// When the server offered TLS and the handshake broke, the connection is
// useless, and the outcome asks for a new one in clear unless TLS is required.
class FtpLogin
{
public:
    struct Credentials
    {
        QString user; // empty: anonymous
        QString password;
        QString account; // the answer to 332 "need account"; the password when empty
    };

    struct Outcome
    {
        FtpResult result;
        bool retryInClear = false;
        bool dataProtected = false; // PROT P is in effect
    };

    FtpLogin(FtpControlConnection& control, const FtpTlsOptions& tls, int replyTimeoutMs);

    Outcome run(const Credentials& credentials, FtpTlsPolicy policy);

private:
    enum class TlsStep
    {
        Protected,
        InClear, // not offered, or refused: the connection goes on in clear
        Broken,  // the connection is lost in the attempt
        Failed,  // no login on this server: TLS required, or the certificate refused
    };

    TlsStep negotiateTls(FtpTlsPolicy policy, FtpResult& failure);
    bool offersTls(FtpResult& failure);
    QSslConfiguration tlsConfiguration() const;
    bool trusted() const;
    FtpResult sendCredentials(const Credentials& credentials);
    FtpResult protectData();

    FtpControlConnection& control_;
    const FtpTlsOptions& tls_;
    int replyTimeoutMs_;
};
