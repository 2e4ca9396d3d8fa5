#pragma once

#include "platform/ftp/FtpTls.h"

#include <QString>

// Sendora's TLS policy for its FTP connections: the value "FtpTls" in the
// settings store, beside the connection texts. "offered" (also when absent or empty):
// TLS whenever the server offers it; "required": no login without TLS;
// "never": always in clear. Any other value counts as "required", so that a
// mistyped value never lowers the protection.
namespace TlsSetting {

inline const QString kKey = QStringLiteral("FtpTls");

FtpTlsPolicy parse(const QString& value);
FtpTlsPolicy read();

} // namespace TlsSetting
