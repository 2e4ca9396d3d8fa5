#include "tests/updater/app/UpdateSite.h"

#include "platform/shell/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

UpdateSite::UpdateSite(const UpdaterConfig& column) : config(column)
{
    qputenv("UPDATER_BASE_URL", server.url(QStringLiteral("verup/")).toUtf8());
    QCoreApplication::setApplicationName(config.programName);
    setInstalled(QStringLiteral("104"));
}

UpdateSite::~UpdateSite()
{
    qunsetenv("UPDATER_BASE_URL");
}

QByteArray UpdateSite::versionPage(const QByteArray& title)
{
    return "<HTML><HEAD><TITLE>" + title + "</TITLE></HEAD><BODY>Version</BODY></HTML>";
}

void UpdateSite::setInstalled(const QString& version)
{
    SettingsStore::write(QStringLiteral("RedudUrazE"), QStringLiteral("Settings"), config.versionKey,
                         version);
}

void UpdateSite::setVersionPage(const QByteArray& html, int status)
{
    server.route(QStringLiteral("/verup/") + config.versionPage, HttpRoute::page(html, status));
}

void UpdateSite::setArchive(const HttpRoute& route)
{
    server.route(QStringLiteral("/verup/") + config.archiveUrlName, route);
}

QString UpdateSite::productPath() const
{
    return folder.filePath(config.productFileName());
}

QString UpdateSite::asidePath() const
{
    return productPath() + QStringLiteral(".verup-aside");
}

QString UpdateSite::placeProduct(const QByteArray& contents)
{
    QFile file(productPath());
    file.open(QIODevice::WriteOnly);
    file.write(contents);
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return productPath();
}

QByteArray UpdateSite::productContents() const
{
    QFile file(productPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList UpdateSite::folderEntries() const
{
    return QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}
