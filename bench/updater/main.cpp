// Command-line driver for the updater benchmark (run.sh): PelmoraVer3Up's window,
// offscreen, against a web server that offers a newer version. It clicks
// アップデート開始 and measures from the click to the completion box, as a user
// would see it; message boxes and the product start are answered by handlers.
//   bench_updater PROGRAM_FOLDER      (UPDATER_BASE_URL names the server's folder)
// Prints "WALL_S CPU_S MAXRSS_KIB": wall and CPU (user + system) time from the
// click to the completion box, and the process's peak resident memory.
#include "platform/dialogs/MessageBox.h"
#include "platform/shell/ProgramExit.h"
#include "platform/shell/ProgramFolder.h"
#include "platform/shell/ProgramLauncher.h"
#include "updater/app/Form1.h"
#include "updater/app/UpdaterConfig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long peakKib()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_updater PROGRAM_FOLDER\n");
        return 2;
    }
    ProgramFolder::setOverride(QString::fromLocal8Bit(argv[1]));
    const UpdaterConfig config = pelmoraConfig();
    QApplication::setApplicationName(config.programName);

    QElapsedTimer clock;
    double cpuAtClick = 0.0;
    double wall = -1.0;
    double cpu = 0.0;
    int exitCode = 0;
    MessageBox::setHandler([&](const MessageBox::Request& request) {
        if (request.icon == MessageBox::Icon::Information && clock.isValid() && wall < 0) {
            wall = double(clock.nsecsElapsed()) / 1e9;
            cpu = cpuSeconds() - cpuAtClick;
        } else if (request.icon == MessageBox::Icon::Critical) {
            std::fprintf(stderr, "bench_updater: %s\n", qPrintable(request.text));
            exitCode = 1;
            QCoreApplication::exit(1);
        }
        return MessageBox::Answer::Ok;
    });
    ProgramLauncher::setHandler([](const ProgramLauncher::Request&) { return true; });
    ProgramExit::setHandler([](int) { QCoreApplication::exit(0); });

    Form1 form(config);
    form.Form_Load();
    if (ProgramExit::endRequested()) {
        std::fprintf(stderr, "bench_updater: the version check offered no update\n");
        return 1;
    }
    form.show();
    QCoreApplication::processEvents();
    cpuAtClick = cpuSeconds();
    clock.start();
    form.controls().Command1->click();
    app.exec();
    if (exitCode != 0 || wall < 0)
        return exitCode != 0 ? exitCode : 1;
    std::printf("%.3f %.3f %ld\n", wall, cpu, peakKib());
    return 0;
}
