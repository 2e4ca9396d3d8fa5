#pragma once

#include <QList>
#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QTemporaryDir>
#include <optional>

// Server certificates made at run time with the openssl tool, for 127.0.0.1
// and localhost: self-signed ones, and ones signed by a test authority that
// only the tests trust (they hand it to the client, never to the machine).
// Every call makes a new key, so two certificates never match.
class TestCertificates
{
public:
    struct Identity
    {
        QString certificateFile; // PEM
        QString keyFile;         // PEM, unencrypted
        QSslCertificate certificate;
        QSslKey key;
    };

    TestCertificates();

    std::optional<Identity> selfSigned();
    std::optional<Identity> signedByAuthority();
    // The test authority (made on first use).
    QSslCertificate authority();

    QString errorString() const { return error_; }

private:
    bool makeAuthority();
    bool run(const QStringList& arguments);
    std::optional<Identity> load(const QString& name);
    QString path(const QString& name) const { return folder_.filePath(name); }

    QTemporaryDir folder_;
    int made_ = 0;
    QSslCertificate authority_;
    QString error_;
};
