// clsFtpClient over TLS: files moved under each policy on both real servers,
// certificates pinned at first use, a changed one refused before the login
// until an administrator accepts it, and the policy read from the settings.
#include "platform/ftp/FtpTls.h"
#include "platform/shell/SettingsStore.h"
#include "sendora/session/CertificateApproval.h"
#include "sendora/session/SendoraSettings.h"
#include "sendora/session/TlsSetting.h"
#include "tests/sendora/session/SessionFixture.h"
#include "tests/support/common/TestEnvironment.h"
#include "tests/support/ftp/ScriptedFtpServer.h"
#include "tests/support/ftp/TestCertificates.h"

#include <QFile>
#include <QSettings>
#include <QTest>

Q_DECLARE_METATYPE(FtpTlsPolicy)

namespace {

QByteArray payload()
{
    QByteArray data;
    for (int i = 0; data.size() < 300'000; ++i)
        data.append(char(i * 7 % 256));
    return data;
}

QByteArray readLocal(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestFtpTls : public QObject
{
    Q_OBJECT

private:
    TestCertificates certificates;

private slots:
    void initTestCase() { TestEnvironment::isolate(); }

    void filesMoveUnderEachPolicy_data()
    {
        QTest::addColumn<ServerKind>("kind");
        QTest::addColumn<FtpTlsPolicy>("policy");
        QTest::addColumn<bool>("passive");
        QTest::addColumn<bool>("authority"); // signed by the test authority, else self-signed
        const struct
        {
            ServerKind kind;
            const char* name;
        } servers[] = {{ServerKind::PyFtpd, "pyftpdlib"}, {ServerKind::VsftpdUtf8, "vsftpd"}};
        const struct
        {
            FtpTlsPolicy policy;
            const char* name;
        } policies[] = {{FtpTlsPolicy::WhenOffered, "offered"},
                        {FtpTlsPolicy::Required, "required"},
                        {FtpTlsPolicy::Never, "never"}};
        bool authority = false;
        for (const auto& server : servers) {
            for (const auto& policy : policies) {
                for (const bool passive : {false, true}) {
                    authority = !authority;
                    QTest::addRow("%s %s %s %s", server.name, policy.name, passive ? "passive" : "active",
                                  authority ? "CA" : "self-signed")
                        << server.kind << policy.policy << passive << authority;
                }
            }
        }
    }

    // Login, listing, upload and download. A TLS server refuses anything in
    // clear, and vsftpd also data connections that do not resume the control
    // connection's session; "never" meets a server that allows clear.
    void filesMoveUnderEachPolicy()
    {
        QFETCH(ServerKind, kind);
        QFETCH(FtpTlsPolicy, policy);
        QFETCH(bool, passive);
        QFETCH(bool, authority);
        const bool tls = policy != FtpTlsPolicy::Never;

        const auto identity = authority ? certificates.signedByAuthority() : certificates.selfSigned();
        QVERIFY2(identity, qPrintable(certificates.errorString()));
        SessionFixture fixture(kind);
        FtpServerOptions options;
        options.tlsCertificateFile = identity->certificateFile;
        options.tlsKeyFile = identity->keyFile;
        options.tlsRequired = tls;
        START_SESSION(fixture, options);
        QVERIFY(fixture.put(QStringLiteral("there.bin"), payload()));

        clsFtpClient& client = fixture.client();
        client.setTlsPolicy(policy);
        client.setPassive(passive);
        if (authority)
            client.setExtraAuthorities({certificates.authority()});
        CONNECT_SESSION(fixture);
        client.EnumFile();
        QVERIFY(!fixture.eventsOf(SessionEvent::EnumFile).isEmpty());
        QVERIFY(client.GetFile(QStringLiteral("there.bin"), fixture.localPath(QStringLiteral("here.bin")),
                               clsFtpClient::kAttrNormal));
        QCOMPARE(readLocal(fixture.localPath(QStringLiteral("here.bin"))), payload());
        QVERIFY(client.PutFile(fixture.localPath(QStringLiteral("here.bin")), QStringLiteral("back.bin")));
        QCOMPARE(fixture.get(QStringLiteral("back.bin")), payload());

        QCOMPARE(fixture.server().hasBeenAsked(QStringLiteral("AUTH TLS")), tls);
        QCOMPARE(fixture.server().hasBeenAsked(QStringLiteral("PROT P")), tls);
        // Only a certificate that no authority vouches for is pinned.
        const auto pinned = CertificatePins::pinned(fixture.server().host(), fixture.server().port());
        QCOMPARE(pinned.has_value(), tls && !authority);
        if (pinned)
            QCOMPARE(*pinned, FtpTls::fingerprint(identity->certificate));
    }

    // First use pins; the same certificate passes; another one is refused
    // before the user name, until it is accepted (the window asks for the
    // administrator code first: see the window's tests).
    void changedCertificateIsRefusedUntilAccepted()
    {
        const auto first = certificates.selfSigned();
        const auto second = certificates.selfSigned();
        QVERIFY2(first && second, qPrintable(certificates.errorString()));
        ScriptedFtpServer server;
        server.setFeatures("211-Features:\r\n AUTH TLS\r\n211 End\r\n");
        server.setTlsIdentity(first->certificate, first->key);
        QVERIFY(server.start());
        const QString host = QStringLiteral("127.0.0.1");
        clsFtpClient client;
        client.setTimeouts(5000, 5000);
        client.setPort(server.port());
        auto connect = [&] { return client.Connect(host, QStringLiteral("user"), QStringLiteral("secret")); };

        QVERIFY(connect());
        QCOMPARE(CertificatePins::pinned(host, server.port()), FtpTls::fingerprint(first->certificate));
        QVERIFY(connect());
        QVERIFY(!client.refusedCertificate());

        server.setTlsIdentity(second->certificate, second->key);
        const qsizetype before = server.commands().size();
        QVERIFY(!connect());
        // The last connection ends after AUTH TLS: no user name, no password.
        QCOMPARE(server.commands().mid(before).last(), QByteArray("AUTH TLS"));
        const auto change = client.refusedCertificate();
        QVERIFY(change);
        QCOMPARE(change->pinned, FtpTls::fingerprint(first->certificate));
        QCOMPARE(change->presented, FtpTls::fingerprint(second->certificate));
        QVERIFY(!connect()); // refused again: nothing pinned by the refusal

        QString told;
        QVERIFY(CertificateApproval::offer(
            client,
            [&](const QString& text) {
                told = text;
                return true;
            },
            [] { return true; }));
        QVERIFY(told.contains(change->presented) && told.contains(QStringLiteral("接続を中止しました")));
        QCOMPARE(CertificatePins::pinned(host, server.port()), FtpTls::fingerprint(second->certificate));
        QVERIFY(connect());
    }

    void policyComesFromTheSettingsStore_data()
    {
        QTest::addColumn<QVariant>("stored"); // invalid: absent
        QTest::addColumn<FtpTlsPolicy>("policy");
        QTest::newRow("absent") << QVariant() << FtpTlsPolicy::WhenOffered;
        QTest::newRow("empty") << QVariant(QString()) << FtpTlsPolicy::WhenOffered;
        QTest::newRow("offered") << QVariant(QStringLiteral("offered")) << FtpTlsPolicy::WhenOffered;
        QTest::newRow("required, spaced") << QVariant(QStringLiteral(" Required ")) << FtpTlsPolicy::Required;
        QTest::newRow("never") << QVariant(QStringLiteral("NEVER")) << FtpTlsPolicy::Never;
        QTest::newRow("mistyped: the strict one")
            << QVariant(QStringLiteral("nevr")) << FtpTlsPolicy::Required;
    }

    void policyComesFromTheSettingsStore()
    {
        QFETCH(QVariant, stored);
        QFETCH(FtpTlsPolicy, policy);
        QSettings settings(SendoraSettings::kApplication, SendoraSettings::kApplication);
        settings.beginGroup(SendoraSettings::kSection);
        settings.remove(TlsSetting::kKey);
        settings.sync();
        if (stored.isValid())
            SettingsStore::write(SendoraSettings::kApplication, SendoraSettings::kSection, TlsSetting::kKey,
                                 stored.toString());
        QCOMPARE(TlsSetting::read(), policy);
    }
};

QTEST_GUILESS_MAIN(TestFtpTls)
#include "test_tls.moc"
