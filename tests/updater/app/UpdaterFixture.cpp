#include "tests/updater/app/UpdaterFixture.h"

#include "platform/shell/ProgramExit.h"
#include "platform/shell/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>

UpdaterFixture::UpdaterFixture(const UpdaterConfig& column) : config(column)
{
    qputenv("UPDATER_BASE_URL", server.url(QStringLiteral("verup/")).toUtf8());
    QCoreApplication::setApplicationName(config.programName);
    ProgramExit::resetForTest();
    ProgramExit::setHandler([](int) {});
    ProgramLauncher::setHandler([this](const ProgramLauncher::Request& request) {
        started.append(request);
        folderAtStart = folderEntries();
        return launchSucceeds;
    });
    setInstalled(QStringLiteral("104"));
}

UpdaterFixture::~UpdaterFixture()
{
    form.reset();
    ProgramLauncher::setHandler({});
    ProgramExit::setHandler({});
    ProgramExit::resetForTest();
    qunsetenv("UPDATER_BASE_URL");
}

void UpdaterFixture::setInstalled(const QString& version)
{
    SettingsStore::write(QStringLiteral("RedudUrazE"), QStringLiteral("Settings"), config.versionKey,
                         version);
}

void UpdaterFixture::setVersionPage(const QByteArray& html, int status)
{
    server.route(QStringLiteral("/verup/") + config.versionPage, HttpRoute::page(html, status));
}

void UpdaterFixture::setArchive(const HttpRoute& route)
{
    server.route(QStringLiteral("/verup/") + config.archiveUrlName, route);
}

QString UpdaterFixture::productPath() const
{
    return folder.filePath(config.productFileName());
}

QString UpdaterFixture::asidePath() const
{
    return productPath() + QStringLiteral(".verup-aside");
}

QString UpdaterFixture::placeProduct(const QByteArray& contents)
{
    QFile file(productPath());
    file.open(QIODevice::WriteOnly);
    file.write(contents);
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return productPath();
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
        if (!form->downloading() || ended())
            return true;
        QTest::qWait(20);
    }
    return false;
}

QStringList UpdaterFixture::folderEntries() const
{
    return QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}
