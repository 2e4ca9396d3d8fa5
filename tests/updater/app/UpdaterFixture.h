#pragma once

#include "platform/shell/ProgramLauncher.h"
#include "tests/support/common/ScriptedDialogs.h"
#include "tests/updater/app/UpdateSite.h"
#include "updater/app/Form1.h"

#include <QList>
#include <memory>

// One updater window on an update site: scripted dialogs, the product start
// and the end step recorded.
class UpdaterFixture : public UpdateSite
{
public:
    explicit UpdaterFixture(const UpdaterConfig& config);
    ~UpdaterFixture();

    ScriptedDialogs dialogs;
    QList<ProgramLauncher::Request> started;
    QStringList folderAtStart; // the program folder as the product found it
    bool launchSucceeds = true;
    std::unique_ptr<Form1> form;

    // Builds the window and runs its start-up check.
    Form1& load();
    bool ended() const;
    QStringList messages() const;
    // Waits until the download has ended one way or the other.
    bool waitForDownloadEnd(int timeoutMs = 10000);
};
