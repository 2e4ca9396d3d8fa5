#include "platform/ftp/FtpTls.h"

namespace FtpTls {

QString fingerprint(const QSslCertificate& certificate)
{
    return QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper());
}

} // namespace FtpTls
