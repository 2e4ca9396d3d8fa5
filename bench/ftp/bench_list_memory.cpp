// Memory of Sendora's window per listed entry: the real window lists a folder
// of ENTRIES entries through the real client from a local server
// (listing_server.py), and the peak resident memory during the listing and the
// list's layout is set against the memory before it.
//   bench_list_memory ENTRIES
// Prints "entries=N", "rows=N", "bytes_per_entry=B" (peak growth / entries),
// "peak_growth_mb=M", "seconds=S" and "cpu_seconds=S" for the listing.
#include "sendora/session/clsFtpClient.h"
#include "sendora/window/Form1.h"
#include "sendora/window/FtpBrowser.h"
#include "sendora/window/RemoteListView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <sys/resource.h>

namespace {

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM").
qint64 statusBytes(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field) && line.size() > qsizetype(qstrlen(field)) && line[qstrlen(field)] == ':')
            return line.mid(qsizetype(qstrlen(field)) + 1).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
}

// From here on VmHWM counts the peak anew.
bool resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int fail(const QString& why)
{
    QTextStream(stderr) << "bench_list_memory: " << why << '\n';
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    // The window keeps its settings and its single-instance lock in folders of this run.
    QTemporaryDir state;
    qputenv("XDG_CONFIG_HOME", state.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", state.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bool ok = false;
    const qint64 entries = argc == 2 ? QByteArray(argv[1]).toLongLong(&ok) : 0;
    if (!ok || entries <= 0)
        return fail(QStringLiteral("usage: bench_list_memory ENTRIES"));

    const QString password = QString::number(QRandomGenerator::system()->generate64(), 36);
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(BENCH_LISTING_SERVER), "--entries",
                                                      QString::number(entries), "--password", password});
    if (!server.waitForReadyRead(600'000))
        return fail(QStringLiteral("the listing server did not start"));
    const QByteArray announced = server.readLine().trimmed();
    if (!announced.startsWith("PORT "))
        return fail(QStringLiteral("the listing server said: ") + QString::fromLatin1(announced));

    int result = 0;
    {
        Form1 form;
        form.show();
        QApplication::processEvents();
        form.browser().client()->setPort(announced.mid(5).toInt());
        form.browser().client()->setTimeouts(60'000, 600'000);
        if (!form.browser().client()->Connect(QStringLiteral("127.0.0.1"), QStringLiteral("bench"), password))
            return fail(QStringLiteral("cannot log in"));

        const qint64 before = statusBytes("VmRSS");
        if (!resetPeak())
            return fail(QStringLiteral("cannot reset the peak memory count"));
        const double cpuBefore = cpuSeconds();
        QElapsedTimer timer;
        timer.start();
        form.ChangeRemoteDir(QStringLiteral("/many"));
        // What the window does next: lay the list out and draw it.
        form.lvwList->scrollToBottom();
        for (int round = 0; round < 5; ++round)
            QApplication::processEvents();
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        const double cpu = cpuSeconds() - cpuBefore;
        const qint64 growth = statusBytes("VmHWM") - before;
        const int rows = form.lvwList->rowCount();
        std::printf("entries=%lld\nrows=%d\nbytes_per_entry=%.0f\npeak_growth_mb=%.1f\nseconds=%.3f\n"
                    "cpu_seconds=%.3f\n",
                    static_cast<long long>(entries), rows, double(growth) / double(entries),
                    double(growth) / (1024.0 * 1024.0), seconds, cpu);
        if (rows != entries)
            result = fail(QStringLiteral("the list holds %1 rows").arg(rows));
        form.browser().client()->DisConnect();
    }
    server.terminate();
    server.waitForFinished(10'000);
    return result;
}
