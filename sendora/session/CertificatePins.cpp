#include "sendora/session/CertificatePins.h"

#include "platform/shell/SettingsStore.h"
#include "sendora/session/SendoraSettings.h"

namespace {

// Beside the connection settings, a section of their own: one value per server.
const QString kPinSection = QStringLiteral("Certificates");

QString keyOf(const QString& host, quint16 port)
{
    return host.toLower() + QLatin1Char(':') + QString::number(port);
}

} // namespace

bool CertificatePins::trust(const FtpServerCertificate& presented)
{
    const QString fingerprint = FtpTls::fingerprint(presented.certificate);
    const std::optional<QString> known = pinned(presented.host, presented.port);
    if (!known) {
        pin(presented.host, presented.port, fingerprint);
        return true;
    }
    if (*known == fingerprint)
        return true;
    refusal_ = CertificateChange{presented.host, presented.port, *known, fingerprint};
    return false;
}

std::optional<QString> CertificatePins::pinned(const QString& host, quint16 port)
{
    const QString value =
        SettingsStore::read(SendoraSettings::kApplication, kPinSection, keyOf(host, port), QString());
    if (value.isEmpty())
        return std::nullopt;
    return value;
}

void CertificatePins::pin(const QString& host, quint16 port, const QString& fingerprint)
{
    SettingsStore::write(SendoraSettings::kApplication, kPinSection, keyOf(host, port), fingerprint);
}
