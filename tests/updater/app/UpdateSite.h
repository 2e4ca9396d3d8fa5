#pragma once

#include "tests/support/common/TempProgramFolder.h"
#include "tests/support/http/HttpTestServer.h"
#include "updater/app/UpdaterConfig.h"

#include <QStringList>

// The scene of one update test: a fresh program folder, the vendor's folder on
// the HTTP test server (UPDATER_BASE_URL points at it while this lives) and
// the installed version in the settings store (104 unless set).
class UpdateSite
{
public:
    explicit UpdateSite(const UpdaterConfig& config);
    ~UpdateSite();

    UpdaterConfig config;
    TempProgramFolder folder;
    HttpTestServer server;

    // A version page as the vendor writes it, its title holding the latest version.
    static QByteArray versionPage(const QByteArray& title);

    void setInstalled(const QString& version);
    void setVersionPage(const QByteArray& html, int status = 200);
    void setLatestVersion(const QByteArray& title) { setVersionPage(versionPage(title)); }
    void setArchive(const HttpRoute& route);
    // A product program in the folder, without the execute bit, as archives bring it.
    QString placeProduct(const QByteArray& contents = "old product");
    QString productPath() const;
    QString asidePath() const;
    QByteArray productContents() const;
    // File names in the program folder, hidden ones included, sorted.
    QStringList folderEntries() const;
};
