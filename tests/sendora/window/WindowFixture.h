#pragma once

#include "sendora/window/ImageList.h"
#include "tests/support/common/ScriptedDialogs.h"
#include "tests/support/common/TempProgramFolder.h"
#include "tests/support/ftp/PyFtpdServer.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

class ByteProgressBar;
class Form1;
class FtpBrowser;
class QLabel;
class RemoteListRow;
class RemoteListView;
class TagLineEdit;

// What every window test needs: an isolated settings store and lock folder,
// the program's title, a program folder of its own, scripted dialogs, ending
// the program recorded instead of done, and a real FTP server whose home the
// test fills.
class WindowFixture
{
public:
    // Once per test executable, from initTestCase.
    static void initApplication();

    WindowFixture();
    ~WindowFixture();

    // Starts pyftpdlib on the home folder; false (with the reason in
    // serverError()) when it cannot run.
    bool startServer(const FtpServerOptions& options = {});
    QString serverError() const { return server.errorString(); }

    // Points the stored settings at the server, then opens the window.
    std::unique_ptr<Form1> openWindow();

    void addFile(const QString& relativePath, const QByteArray& content = QByteArray("x"));
    void addFolder(const QString& relativePath);
    QString homePath(const QString& relativePath = QString()) const;
    QByteArray remoteFile(const QString& relativePath) const;

    static QStringList rowTexts(const RemoteListView& list);
    static QStringList rowTexts(const Form1& form);
    static RemoteListRow* rowNamed(const RemoteListView& list, const QString& name);
    static RemoteListRow* rowNamed(const Form1& form, const QString& name);
    static void selectRows(RemoteListView& list, const QStringList& names);
    static void selectRows(Form1& form, const QStringList& names);
    // The arguments of each command of a verb the server received, in order.
    static QStringList commandsOf(const QString& serverLog, const QString& verb);
    // Whether a busy window is open (it is a window of its own, not the main window's child).
    static bool busyWindowShown();

    TempProgramFolder programFolder;
    ScriptedDialogs dialogs;
    QTemporaryDir home;
    PyFtpdServer server;
};

// The FTP browser on bare controls, without the main window: its settings
// point at the fixture's server.
class BareBrowser
{
public:
    explicit BareBrowser(const WindowFixture& fixture);
    ~BareBrowser();

    QString server; // "host:port"
    bool binary = true;
    QWidget window;
    RemoteListView* list;
    TagLineEdit* path;
    ByteProgressBar* progress;
    QLabel* status;
    ImageList icons;
    std::unique_ptr<FtpBrowser> browser;
};
