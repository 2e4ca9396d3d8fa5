#include "tests/updater/app/UpdaterFixture.h"

#include "platform/shell/ProgramExit.h"

#include <QElapsedTimer>
#include <QTest>

UpdaterFixture::UpdaterFixture(const UpdaterConfig& column) : UpdateSite(column)
{
    ProgramExit::resetForTest();
    ProgramExit::setHandler([](int) {});
    ProgramLauncher::setHandler([this](const ProgramLauncher::Request& request) {
        started.append(request);
        folderAtStart = folderEntries();
        return launchSucceeds;
    });
}

UpdaterFixture::~UpdaterFixture()
{
    form.reset();
    ProgramLauncher::setHandler({});
    ProgramExit::setHandler({});
    ProgramExit::resetForTest();
}

Form1& UpdaterFixture::load()
{
    form = std::make_unique<Form1>(config);
    form->inetDesiredURL().setTimeoutMs(1000);
    form->inet1().setTimeoutMs(1000);
    form->Form_Load();
    if (!ended())
        form->show();
    return *form;
}

bool UpdaterFixture::ended() const
{
    return ProgramExit::endRequested();
}

QStringList UpdaterFixture::messages() const
{
    QStringList texts;
    for (const auto& request : dialogs.messages)
        texts << request.text;
    return texts;
}

bool UpdaterFixture::waitForDownloadEnd(int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (!form->updateRun().isDownloading() || ended())
            return true;
        QTest::qWait(20);
    }
    return false;
}
