#pragma once

#include "platform/ftp/FtpTls.h"

#include <QString>
#include <optional>

// A server's certificate that is not the one pinned for it.
struct CertificateChange
{
    QString host;
    quint16 port = 0;
    QString pinned; // fingerprints as FtpTls::fingerprint() writes them
    QString presented;
};

// Trust at first use, for servers whose certificate no authority vouches for
// (self-signed ones are common on FTP servers): the first certificate a server
// shows is pinned, its SHA-256 fingerprint stored per host and port in the
// settings store, and trusted while it stays the same. Another one is refused
// and kept as the last refusal, so that the window can say what happened and
// an administrator may accept it.
class CertificatePins
{
public:
    // The trust decision for FtpTlsOptions::trust.
    bool trust(const FtpServerCertificate& presented);

    const std::optional<CertificateChange>& lastRefusal() const { return refusal_; }
    void forgetRefusal() { refusal_.reset(); }

    static std::optional<QString> pinned(const QString& host, quint16 port);
    static void pin(const QString& host, quint16 port, const QString& fingerprint);

private:
    std::optional<CertificateChange> refusal_;
};
