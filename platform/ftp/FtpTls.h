#pragma once

#include <QList>
#include <QSslCertificate>
#include <QSslError>
#include <QString>
#include <functional>

// Whether a session protects its login and data with explicit TLS (RFC 4217:
// AUTH TLS on the ordinary port, then PBSZ 0 and PROT P for the data).
enum class FtpTlsPolicy
{
    // TLS when the server announces AUTH TLS. A server that does not, refuses
    // AUTH, or breaks the handshake is spoken to in clear, as before.
    WhenOffered,
    // No TLS, no login: nothing but the greeting and AUTH TLS goes in clear.
    Required,
    // Always in clear.
    Never,
};

// A server certificate that no trusted authority vouches for (self-signed, or
// issued for another name), as the trust handler sees it.
struct FtpServerCertificate
{
    QString host;
    quint16 port = 0;
    QSslCertificate certificate;
    QList<QSslError> errors;
};

// True: go on with this server all the same.
using FtpTrustHandler = std::function<bool(const FtpServerCertificate&)>;

struct FtpTlsOptions
{
    FtpTlsPolicy policy = FtpTlsPolicy::WhenOffered;
    // Without a handler such certificates are refused.
    FtpTrustHandler trust;
    // Authorities trusted beside the system's.
    QList<QSslCertificate> extraAuthorities;
};

namespace FtpTls {

// SHA-256 of the certificate as openssl prints it: "AB:CD:...".
QString fingerprint(const QSslCertificate& certificate);

} // namespace FtpTls
