#pragma once

#include "platform/shell/ProgramLauncher.h"
#include "tests/support/common/ScriptedDialogs.h"
#include "tests/support/common/TempProgramFolder.h"
#include "tests/support/http/HttpTestServer.h"
#include "updater/app/Form1.h"
#include "updater/app/UpdaterConfig.h"

#include <QList>
#include <memory>

// One updater run against the scripted HTTP server: a fresh program folder,
// scripted dialogs, the product start and the end step recorded.
class UpdaterFixture
{
public:
    explicit UpdaterFixture(const UpdaterConfig& config);
    ~UpdaterFixture();

    UpdaterConfig config;
    TempProgramFolder folder;
    HttpTestServer server;
    ScriptedDialogs dialogs;
    QList<ProgramLauncher::Request> started;
    QStringList folderAtStart; // the program folder as the product found it
    bool launchSucceeds = true;
    std::unique_ptr<Form1> form;

    void setInstalled(const QString& version);
    void setVersionPage(const QByteArray& html, int status = 200);
    void setArchive(const HttpRoute& route);
    // A product program in the folder, without the execute bit, as archives bring it.
    QString placeProduct(const QByteArray& contents = "old product");
    QString productPath() const;
    QString asidePath() const;

    // Builds the window and runs its start-up check.
    Form1& load();
    bool ended() const;
    QStringList messages() const;
    // Waits until the download has ended one way or the other.
    bool waitForDownloadEnd(int timeoutMs = 10000);
    // File names in the program folder, sorted.
    QStringList folderEntries() const;
};
