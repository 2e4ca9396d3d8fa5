#pragma once

#include "sendora/session/CertificatePins.h"

#include <QString>
#include <functional>

class clsFtpClient;

// What follows a connection refused because a server's pinned certificate
// changed: the user is told what happened, and an administrator may accept
// the new certificate with the administrator code.
namespace CertificateApproval {

// Says what happened and why nothing was sent, and how an administrator
// accepts the new certificate (answering yes, then the administrator code).
QString refusalText(const CertificateChange& change);

// tell: shows refusalText; true when the reader answers that the new
// certificate is to be accepted. isAdministrator: asks for the administrator
// code; true when it was given. Only when both say yes is the new certificate
// pinned, and the next Connect of client trusts it. True: it was pinned.
bool offer(clsFtpClient& client, const std::function<bool(const QString& text)>& tell,
           const std::function<bool()>& isAdministrator);

} // namespace CertificateApproval
