#pragma once

#include "sendora/submission/SubmissionTarget.h"
#include "sendora/window/FtpTransfers.h"

#include <QDateTime>
#include <QObject>
#include <functional>
#include <memory>

class ByteProgressBar;
class ImageList;
class QLabel;
class QWidget;
class RemoteListRow;
class RemoteListView;
class TagLineEdit;
class clsFtpClient;

// The FTP browser behind Sendora's panel: the one session (mclsFTP), the
// remote list it fills, the path box, the progress bar and the status line.
// Every browser command lives here (transfers in FtpTransfers); the window's
// handlers forward to it. A submission sends through it as its target.
class FtpBrowser : public QObject, public SubmissionTarget
{
    Q_OBJECT
public:
    // The controls the browser drives; the window keeps them.
    struct Controls
    {
        QWidget* window = nullptr; // disabled while busy; the parent of messages
        RemoteListView* list = nullptr;
        TagLineEdit* path = nullptr;
        ByteProgressBar* progress = nullptr;
        QLabel* status = nullptr;
        const ImageList* icons = nullptr; // "FILE" and "CLOSE"
    };
    // What the browser asks of the window.
    struct Hooks
    {
        struct Login
        {
            QString server; // host, "host:port" or "[IPv6]:port"
            QString user;
            QString password;
        };
        std::function<Login()> login;      // the settings as they stand (not trimmed)
        std::function<int()> transferType; // clsFtpClient::kBinary or kAscii
        // The administrator code's input box; true when the code was given.
        std::function<bool()> askAdministratorCode;
    };

    FtpBrowser(const Controls& controls, Hooks hooks, QObject* parent = nullptr);
    ~FtpBrowser() override;

    // The session: opened at load, released at unload or when the program ends.
    void openSession();
    void releaseSession();
    clsFtpClient* client() const { return mclsFTP.get(); }

    // Connects with the window's settings, lists the login folder and enters
    // public_html when the first row is a folder; false when refused or ending.
    // A refused connection ends the program after its message.
    bool connectToServer();
    void disconnectFromServer();
    // Makes the path the working folder and lists it: the only way rows are loaded.
    void changeDirectory(const QString& path);
    void goUp();
    void goToTypedPath();
    // A folder row (or a link that leads to one) leads to public_html below the shown folder.
    void openSelectedRow();
    void createFolder();
    void startRename();
    // False cancels the edit (the old text stays).
    bool renameEditedRow(const QString& newName);
    bool hasSelectedRow() const;

    FtpTransfers& transfers() { return transfers_; }

    // SubmissionTarget: one connection, one file, the 切断 path.
    bool open() override { return connectToServer(); }
    bool sendFile(const QString& localPath) override { return transfers_.sendFile(localPath); }
    void close() override { disconnectFromServer(); }
    // The program is ending (終　了, a refused connection) or a close waits for
    // the running command: commands stop at their next step, with no further
    // session call and no message.
    bool ending() const override;

    // True: the window disabled with the hourglass pointer; false undoes that.
    void setBusy(bool busy);
    bool isBusy() const { return busy_; }
    // The last complete line of a reply on the status line; "" clears it.
    void showResponse(const QString& text);
    void setStatusText(const QString& text);
    const Controls& controls() const { return controls_; }
    int transferType() const { return hooks_.transferType(); }

    // Held by every command that calls the session or yields: a close of the
    // window while one runs ends the session call in progress and takes effect
    // when the outermost command has returned, so the session is never
    // destroyed inside one of its own calls.
    class CommandScope
    {
    public:
        explicit CommandScope(FtpBrowser& browser);
        ~CommandScope();
        CommandScope(const CommandScope&) = delete;
        CommandScope& operator=(const CommandScope&) = delete;

    private:
        FtpBrowser& browser_;
    };
    bool commandRunning() const { return commandDepth_ > 0; }
    // A close of the window while a command runs: the call in progress ends,
    // the window closes when the command has returned.
    void closeAfterCommand();

private:
    void mclsFTP_BeginEnumFiles(int FileCnt);
    void mclsFTP_EnumFile(const QString& FileName, qint64 Size, quint32 Attr, const QDateTime& ftWrite);
    void mclsFTP_Send(qint64 Bytes, const QString& Response);
    void mclsFTP_Receive(qint64 Bytes, const QString& Response);
    bool offerChangedCertificate();
    bool linkRowLeadsToFolder(RemoteListRow* row);
    void listAgainAfterRefusal();
    void commandFinished();

    Controls controls_;
    Hooks hooks_;
    std::unique_ptr<clsFtpClient> mclsFTP;
    FtpTransfers transfers_;
    // Row position (1-based) of the next folder row of a listing: folders first, in server order.
    int mlngDirInsertPos = 1;
    int commandDepth_ = 0;
    int refusalDepth_ = 0;
    bool closeRequested_ = false;
    bool busy_ = false;
};
