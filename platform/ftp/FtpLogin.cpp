#include "platform/ftp/FtpLogin.h"

#include "platform/cpu/VectorState.h"
#include "platform/ftp/FtpReplyParsing.h"
#include "platform/text/LegacyText.h"

namespace {

FtpResult refused(const FtpReply& reply)
{
    return FtpResult::failure(reply.code, QString::fromLatin1(reply.text.trimmed()));
}

QByteArray encoded(const QString& text)
{
    return LegacyText::encode(text).value_or(text.toUtf8());
}

} // namespace

FtpLogin::FtpLogin(FtpControlConnection& control, const FtpTlsOptions& tls, int replyTimeoutMs)
    : control_(control), tls_(tls), replyTimeoutMs_(replyTimeoutMs)
{
}

FtpLogin::Outcome FtpLogin::run(const Credentials& credentials, FtpTlsPolicy policy)
{
    QString why;
    std::optional<FtpReply> greeting;
    do {
        greeting = control_.read(replyTimeoutMs_, &why);
        if (!greeting)
            return {FtpResult::failure(why)};
    } while (greeting->isPreliminary()); // 120: ready in a while
    if (greeting->code != 220 && greeting->code != 230)
        return {refused(*greeting)};

    bool tls = false;
    if (policy != FtpTlsPolicy::Never) {
        FtpResult failure;
        switch (negotiateTls(policy, failure)) {
        case TlsStep::Protected:
            tls = true;
            break;
        case TlsStep::InClear:
            break;
        case TlsStep::Broken:
            return {failure, true};
        case TlsStep::Failed:
            return {failure};
        }
    }

    // 230 at once: no login needed.
    FtpResult result = greeting->code == 230 ? FtpResult::success(230) : sendCredentials(credentials);
    if (!result || !tls)
        return {result};
    const FtpResult dataProtected = protectData();
    // A server that protects only the login still keeps the password safe.
    if (!dataProtected && (policy == FtpTlsPolicy::Required || !control_.isOpen()))
        return {dataProtected};
    return {result, false, dataProtected.ok};
}

FtpLogin::TlsStep FtpLogin::negotiateTls(FtpTlsPolicy policy, FtpResult& failure)
{
    const bool required = policy == FtpTlsPolicy::Required;
    if (!QSslSocket::supportsSsl()) {
        failure = FtpResult::failure(QStringLiteral("TLS is not available on this system."));
        return required ? TlsStep::Failed : TlsStep::InClear;
    }
    if (!required && !offersTls(failure))
        return control_.isOpen() ? TlsStep::InClear : TlsStep::Broken;

    std::optional<FtpReply> reply;
    if (FtpResult sent = control_.exchange("AUTH TLS\r\n", reply, replyTimeoutMs_); !sent) {
        failure = sent;
        return required ? TlsStep::Failed : TlsStep::Broken;
    }
    if (reply->code != 234) {
        failure = refused(*reply);
        return required ? TlsStep::Failed : TlsStep::InClear;
    }
    if (FtpResult secured = control_.startTls(tlsConfiguration(), replyTimeoutMs_); !secured) {
        failure = secured;
        return required ? TlsStep::Failed : TlsStep::Broken;
    }
    if (!trusted()) {
        // Not a reason to go on in clear: whoever answers here may be listening there too.
        control_.close();
        failure = FtpResult::failure(QStringLiteral("The server's certificate is not trusted."));
        return TlsStep::Failed;
    }
    return TlsStep::Protected;
}

bool FtpLogin::offersTls(FtpResult& failure)
{
    // A question of our own, like FEAT after the login: not part of what the login received.
    std::optional<FtpReply> reply;
    control_.setQuiet(true);
    failure = control_.exchange("FEAT\r\n", reply, replyTimeoutMs_);
    control_.setQuiet(false);
    return failure && reply->code == 211 && FtpReplyParsing::parseFeatures(reply->text).authTls;
}

QSslConfiguration FtpLogin::tlsConfiguration() const
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    // The certificate is judged after the handshake (trusted()), before anything secret is sent.
    configuration.setPeerVerifyMode(QSslSocket::QueryPeer);
    // Kept in the configuration, so that data connections resume this session.
    configuration.setSslOption(QSsl::SslOptionDisableSessionPersistence, false);
    if (!tls_.extraAuthorities.isEmpty())
        configuration.setCaCertificates(QSslConfiguration::systemCaCertificates() + tls_.extraAuthorities);
    clearWideVectorState(); // loading the system's certificates leaves them in use
    return configuration;
}

bool FtpLogin::trusted() const
{
    const QSslCertificate certificate = control_.peerCertificate();
    if (certificate.isNull())
        return false;
    const QList<QSslError> errors = control_.handshakeErrors();
    if (errors.isEmpty())
        return true; // an authority vouches for it, issued for this name
    return tls_.trust && tls_.trust({control_.peerName(), control_.peerPort(), certificate, errors});
}

FtpResult FtpLogin::sendCredentials(const Credentials& credentials)
{
    // No user name: anonymous login, as browsers and the platform library do.
    const QString name = credentials.user.isEmpty() ? QStringLiteral("anonymous") : credentials.user;
    const QString secret = credentials.password.isEmpty() && credentials.user.isEmpty()
                               ? QStringLiteral("anonymous@")
                               : credentials.password;
    const QString account = credentials.account.isEmpty() ? secret : credentials.account;

    std::optional<FtpReply> reply;
    if (FtpResult sent = control_.exchange("USER " + encoded(name) + "\r\n", reply, replyTimeoutMs_); !sent)
        return sent;
    if (reply->code == 331) {
        if (FtpResult sent = control_.exchange("PASS " + encoded(secret) + "\r\n", reply, replyTimeoutMs_);
            !sent)
            return sent;
    }
    if (reply->code == 332) {
        if (FtpResult sent = control_.exchange("ACCT " + encoded(account) + "\r\n", reply, replyTimeoutMs_);
            !sent)
            return sent;
    }
    if (reply->code == 230 || reply->code == 202)
        return FtpResult::success(reply->code);
    return refused(*reply);
}

FtpResult FtpLogin::protectData()
{
    std::optional<FtpReply> reply;
    for (const char* line : {"PBSZ 0\r\n", "PROT P\r\n"}) {
        if (FtpResult sent = control_.exchange(line, reply, replyTimeoutMs_); !sent)
            return sent;
        if (!reply->isCompletion())
            return refused(*reply);
    }
    return FtpResult::success(reply->code);
}
