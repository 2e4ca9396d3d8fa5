#include "tests/support/ftp/TestCertificates.h"

#include <QFile>
#include <QProcess>

namespace {

// EC keys: made in milliseconds, where RSA keys take a noticeable while.
const QStringList kNewKey{QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                          QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
const QString kServerNames = QStringLiteral("subjectAltName=IP:127.0.0.1,IP:::1,DNS:localhost");

} // namespace

TestCertificates::TestCertificates() = default;

bool TestCertificates::run(const QStringList& arguments)
{
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"), arguments);
    if (!openssl.waitForFinished(20000) || openssl.exitStatus() != QProcess::NormalExit ||
        openssl.exitCode() != 0) {
        error_ = QStringLiteral("openssl %1: %2 %3")
                     .arg(arguments.join(QLatin1Char(' ')), openssl.errorString(),
                          QString::fromLocal8Bit(openssl.readAll()));
        return false;
    }
    return true;
}

std::optional<TestCertificates::Identity> TestCertificates::load(const QString& name)
{
    Identity identity;
    identity.certificateFile = path(name + QStringLiteral(".pem"));
    identity.keyFile = path(name + QStringLiteral(".key"));
    QFile certificate(identity.certificateFile);
    QFile key(identity.keyFile);
    if (!certificate.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly)) {
        error_ = QStringLiteral("openssl left no certificate %1").arg(name);
        return std::nullopt;
    }
    identity.certificate = QSslCertificate(certificate.readAll());
    identity.key = QSslKey(key.readAll(), QSsl::Ec);
    if (identity.certificate.isNull() || identity.key.isNull()) {
        error_ = QStringLiteral("certificate %1 is unreadable").arg(name);
        return std::nullopt;
    }
    return identity;
}

std::optional<TestCertificates::Identity> TestCertificates::selfSigned()
{
    const QString name = QStringLiteral("self%1").arg(++made_);
    if (!folder_.isValid() ||
        !run(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + kNewKey +
             QStringList{QStringLiteral("-keyout"), path(name + QStringLiteral(".key")),
                         QStringLiteral("-out"), path(name + QStringLiteral(".pem")), QStringLiteral("-days"),
                         QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                         QStringLiteral("-addext"), kServerNames}))
        return std::nullopt;
    return load(name);
}

bool TestCertificates::makeAuthority()
{
    if (!authority_.isNull())
        return true;
    if (!folder_.isValid() ||
        !run(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + kNewKey +
             QStringList{QStringLiteral("-keyout"), path(QStringLiteral("ca.key")), QStringLiteral("-out"),
                         path(QStringLiteral("ca.pem")), QStringLiteral("-days"), QStringLiteral("2"),
                         QStringLiteral("-subj"), QStringLiteral("/CN=Sendora test authority"),
                         QStringLiteral("-addext"), QStringLiteral("basicConstraints=critical,CA:TRUE"),
                         QStringLiteral("-addext"), QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")}))
        return false;
    const QList<QSslCertificate> loaded = QSslCertificate::fromPath(path(QStringLiteral("ca.pem")));
    if (loaded.isEmpty()) {
        error_ = QStringLiteral("the test authority is unreadable");
        return false;
    }
    authority_ = loaded.first();
    return true;
}

QSslCertificate TestCertificates::authority()
{
    makeAuthority();
    return authority_;
}

std::optional<TestCertificates::Identity> TestCertificates::signedByAuthority()
{
    if (!makeAuthority())
        return std::nullopt;
    const QString name = QStringLiteral("issued%1").arg(++made_);
    const QString extensions = path(name + QStringLiteral(".ext"));
    QFile file(extensions);
    if (!file.open(QIODevice::WriteOnly))
        return std::nullopt;
    file.write(kServerNames.toLatin1() + "\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n");
    file.close();
    if (!run(QStringList{QStringLiteral("req"), QStringLiteral("-new")} + kNewKey +
             QStringList{QStringLiteral("-keyout"), path(name + QStringLiteral(".key")),
                         QStringLiteral("-out"), path(name + QStringLiteral(".csr")), QStringLiteral("-subj"),
                         QStringLiteral("/CN=127.0.0.1")}) ||
        !run({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
              path(name + QStringLiteral(".csr")), QStringLiteral("-CA"), path(QStringLiteral("ca.pem")),
              QStringLiteral("-CAkey"), path(QStringLiteral("ca.key")), QStringLiteral("-CAcreateserial"),
              QStringLiteral("-out"), path(name + QStringLiteral(".pem")), QStringLiteral("-days"),
              QStringLiteral("2"), QStringLiteral("-extfile"), extensions}))
        return std::nullopt;
    return load(name);
}
