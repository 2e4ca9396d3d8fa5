#include "tests/sendora/window/WindowFixture.h"

#include "platform/ui/JapaneseUi.h"
#include "platform/shell/Clock.h"
#include "platform/shell/ProgramExit.h"
#include "platform/shell/SettingsStore.h"
#include "sendora/session/clsFtpClient.h"
#include "sendora/window/ByteProgressBar.h"
#include "sendora/window/Form1.h"
#include "sendora/window/Form2.h"
#include "sendora/window/FtpBrowser.h"
#include "sendora/window/RemoteListView.h"
#include "sendora/window/TagLineEdit.h"
#include "tests/support/common/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>

void WindowFixture::initApplication()
{
    TestEnvironment::isolate();
    QCoreApplication::setApplicationName(QStringLiteral("Sendora"));
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        JapaneseUi::install(*app);
    ProgramExit::setHandler([](int) {});
}

WindowFixture::WindowFixture()
{
    ProgramExit::resetForTest();
    Clock::setToday(QDate(2009, 2, 18));
}

WindowFixture::~WindowFixture()
{
    Clock::setToday(QDate());
    ProgramExit::resetForTest();
}

bool WindowFixture::startServer(const FtpServerOptions& options)
{
    return server.start(home.path(), options);
}

std::unique_ptr<Form1> WindowFixture::openWindow()
{
    const QString app = QStringLiteral("RedudUrazE");
    const QString section = QStringLiteral("Settings");
    SettingsStore::write(app, section, QStringLiteral("VerificPass1"),
                         server.host() + QLatin1Char(':') + QString::number(server.port()));
    SettingsStore::write(app, section, QStringLiteral("VerificPass2"), server.user());
    SettingsStore::write(app, section, QStringLiteral("VerificPass3"), server.password());
    auto form = std::make_unique<Form1>();
    if (form->browser().client())
        form->browser().client()->setTimeouts(5000, 5000);
    return form;
}

void WindowFixture::addFile(const QString& relativePath, const QByteArray& content)
{
    const QString path = homePath(relativePath);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

void WindowFixture::addFolder(const QString& relativePath)
{
    QDir().mkpath(homePath(relativePath));
}

QString WindowFixture::homePath(const QString& relativePath) const
{
    return relativePath.isEmpty() ? home.path() : home.path() + QLatin1Char('/') + relativePath;
}

QByteArray WindowFixture::remoteFile(const QString& relativePath) const
{
    QFile file(homePath(relativePath));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList WindowFixture::rowTexts(const RemoteListView& list)
{
    QStringList texts;
    for (int i = 0; i < list.rowCount(); ++i)
        texts.append(list.row(i)->text(0));
    return texts;
}

QStringList WindowFixture::rowTexts(const Form1& form)
{
    return rowTexts(*form.lvwList);
}

RemoteListRow* WindowFixture::rowNamed(const RemoteListView& list, const QString& name)
{
    for (int i = 0; i < list.rowCount(); ++i) {
        if (list.row(i)->text(0) == name)
            return list.row(i);
    }
    return nullptr;
}

RemoteListRow* WindowFixture::rowNamed(const Form1& form, const QString& name)
{
    return rowNamed(*form.lvwList, name);
}

void WindowFixture::selectRows(RemoteListView& list, const QStringList& names)
{
    list.clearSelection();
    for (const QString& name : names) {
        if (RemoteListRow* row = rowNamed(list, name))
            row->setSelected(true);
    }
}

void WindowFixture::selectRows(Form1& form, const QStringList& names)
{
    selectRows(*form.lvwList, names);
}

QStringList WindowFixture::commandsOf(const QString& serverLog, const QString& verb)
{
    QStringList found;
    for (const QString& line : serverLog.split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("<- ") + verb + QLatin1Char(' ')))
            found.append(line.mid(4 + verb.size()).trimmed());
    }
    return found;
}

bool WindowFixture::busyWindowShown()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<Form2*>(widget) && widget->isVisible())
            return true;
    }
    return false;
}

BareBrowser::BareBrowser(const WindowFixture& fixture)
    : server(fixture.server.host() + QLatin1Char(':') + QString::number(fixture.server.port())),
      list(new RemoteListView(&window)), path(new TagLineEdit(&window)),
      progress(new ByteProgressBar(&window)), status(new QLabel(&window))
{
    icons.Add(RemoteListView::kFilePicture, QPixmap(16, 16));
    icons.Add(RemoteListView::kFolderPicture, QPixmap(16, 16));
    for (const QString& key :
         {QStringLiteral("NAME"), QStringLiteral("SIZE"), QStringLiteral("ACCESS"), QStringLiteral("ATTR")})
        list->addColumn(key, key, 100, Qt::AlignLeft);
    FtpBrowser::Hooks hooks;
    const QString user = fixture.server.user();
    const QString password = fixture.server.password();
    hooks.login = [this, user, password] { return FtpBrowser::Hooks::Login{server, user, password}; };
    hooks.transferType = [this] { return binary ? clsFtpClient::kBinary : clsFtpClient::kAscii; };
    browser = std::make_unique<FtpBrowser>(
        FtpBrowser::Controls{&window, list, path, progress, status, &icons}, std::move(hooks));
    browser->openSession();
    browser->client()->setTimeouts(5000, 5000);
}

BareBrowser::~BareBrowser() = default;
