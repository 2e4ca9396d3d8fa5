// One timed operation of our FTP client, as bench/ftp/run.sh asks for it:
//   bench_ftp HOST PORT USER PASSWORD upload LOCAL REMOTE
//   bench_ftp HOST PORT USER PASSWORD download REMOTE LOCAL
//   bench_ftp HOST PORT USER PASSWORD list REMOTE_DIR
// Prints "seconds=S": the time from the start of the connection to the end of
// the operation, as curl's time_total counts; "operation=S": the part after the
// login, comparable to curl's time_total - time_pretransfer (login costs the
// same to both and hides differences); "entries=N" for a listing.
// With BENCH_FTP_CA=FILE the session requires TLS and trusts the authority in
// FILE beside the system's (run.sh's TLS row gives curl the same file);
// BENCH_FTP_PASSIVE=1 asks for passive data connections.
#include "sendora/session/clsFtpClient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSslCertificate>
#include <QTextStream>
#include <cstdio>

namespace {

int fail(const QString& what, const clsFtpClient& client)
{
    QTextStream(stderr) << "bench_ftp: " << what << " failed: " << client.Response() << '\n';
    return 1;
}

int usage()
{
    QTextStream(stderr)
        << "usage: bench_ftp HOST PORT USER PASSWORD (upload LOCAL REMOTE | download REMOTE LOCAL"
           " | list DIR)\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 6)
        return usage();
    const QString& host = args[0];
    bool portOk = false;
    const int port = args[1].toInt(&portOk);
    const QString& user = args[2];
    const QString& password = args[3];
    const QString& operation = args[4];
    const bool transfer = operation == QLatin1String("upload") || operation == QLatin1String("download");
    if (!portOk || (transfer && args.size() != 7) ||
        (!transfer && (operation != QLatin1String("list") || args.size() != 6)))
        return usage();

    clsFtpClient client;
    client.setPort(port);
    client.setTransferType(clsFtpClient::kBinary);
    client.setPassive(qEnvironmentVariableIntValue("BENCH_FTP_PASSIVE") == 1);
    if (const QString authority = qEnvironmentVariable("BENCH_FTP_CA"); !authority.isEmpty()) {
        const auto certificates = QSslCertificate::fromPath(authority);
        if (certificates.isEmpty()) {
            QTextStream(stderr) << "bench_ftp: no certificate in " << authority << '\n';
            return 2;
        }
        client.setTlsPolicy(FtpTlsPolicy::Required);
        client.setExtraAuthorities(certificates);
    }
    qint64 entries = 0;
    QObject::connect(
        &client,
        qOverload<const QString&, qint64, quint32, const QDateTime&, const QDateTime&, const QDateTime&>(
            &clsFtpClient::EnumFile),
        [&entries] { ++entries; });
    bool listed = false;
    QObject::connect(&client, &clsFtpClient::EndEnumFile, [&listed](bool ok) { listed = ok; });

    QElapsedTimer timer;
    timer.start();
    if (!client.Connect(host, user, password))
        return fail(QStringLiteral("connect"), client);
    const qint64 loggedIn = timer.nsecsElapsed();
    if (operation == QLatin1String("upload")) {
        if (!client.PutFile(args[5], args[6]))
            return fail(QStringLiteral("upload"), client);
    } else if (operation == QLatin1String("download")) {
        if (!client.GetFile(args[5], args[6], clsFtpClient::kAttrNormal))
            return fail(QStringLiteral("download"), client);
    } else {
        client.setCurrentDir(args[5]);
        client.EnumFile();
        if (!listed)
            return fail(QStringLiteral("list"), client);
    }
    const qint64 done = timer.nsecsElapsed();
    client.DisConnect();

    std::printf("seconds=%.6f\noperation=%.6f\n", double(done) / 1e9, double(done - loggedIn) / 1e9);
    if (operation == QLatin1String("list"))
        std::printf("entries=%lld\n", static_cast<long long>(entries));
    return 0;
}
