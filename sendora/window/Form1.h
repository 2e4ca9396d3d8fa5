#pragma once

#include "sendora/window/ImageList.h"

#include <QDateTime>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>

class ByteProgressBar;
class RemoteListView;
class SingleInstance;
class TagLineEdit;
class clsFtpClient;
class QAction;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMimeData;
class QPushButton;
class QRadioButton;
class QStatusBar;
class RemoteListRow;

// Sendora's main window: the submission panel the user sees, the settings panel
// an administrator brings into view, and the FTP browser whose controls lie
// beyond the visible area. Handlers, procedures and controls are public: the
// submission commands (Form1Submission*.cpp) drive the browser as it drives itself.
//
// Control arrays: element k of array Name is the member Name[k] and the Qt
// object "Name_k" with the dynamic property "index" = k.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up, settings, connection (Form1Startup.cpp, Form1Connection.cpp).
    void Form_Load();
    void Form_Unload();
    void cmdConnect_Click();
    void cmdDisConnect_Click();
    void ShowResponse(const QString& text);
    void Check3_Click(int Index);
    void Option3_Click();
    void Option4_Click();
    void Label4_DblClick(int Index);
    // The administrator unlock's input box; true when the code was entered.
    bool askAdministratorCode();
    void Frame2_DblClick();
    void DTPicker1_CloseUp(int Index);

    // Remote list and browsing (Form1Browse.cpp).
    void ChangeRemoteDir(const QString& path);
    void SetBusy(bool busy);
    void cmdUp_Click();
    void txtPath_KeyDown(int KeyCode);
    void lvwList_DblClick();
    QPixmap MakeListIcon(int iconNumber);
    void mclsFTP_BeginEnumFiles(int FileCnt);
    void mclsFTP_EnumFile(const QString& FileName, qint64 Size, quint32 Attr, const QDateTime& ftCreate,
                          const QDateTime& ftWrite, const QDateTime& ftAccess);
    void mclsFTP_Send(qint64 Bytes, const QString& Response);
    void mclsFTP_Receive(qint64 Bytes, const QString& Response);

    // Download (Form1Download.cpp). One routine for every download command: the
    // filter says per row whether it is fetched, flags the command (a selected
    // row that cannot be fetched) or is passed over. localName turns a remote
    // name into the local file name (default: the same name).
    enum class RowChoice
    {
        Skip,
        Take,
        Flag
    };
    using RowFilter = std::function<RowChoice(const RemoteListRow* row)>;
    using LocalNameRule = std::function<QString(const QString& remoteName)>;
    void DownloadRows(const RowFilter& filter, const LocalNameRule& localName = {});
    void mnuGet_Click();

    // Remote file management and drop upload (Form1Manage.cpp).
    void lvwList_MouseUp(Qt::MouseButton Button, const QPoint& position);
    void mnuNewDir_Click();
    void mnuRename_Click();
    void lvwList_AfterLabelEdit(bool& Cancel, const QString& NewString);
    void lvwList_OLEDragDrop(const QMimeData* Data);
    bool HasSelectedItem() const;

    // Submissions (Form1Submission*.cpp).
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    // 2 (binary) when "Binary" is selected, else 1 (ASCII).
    int TransferTypeFromOptions() const;
    QString statusText() const;
    void setStatusText(const QString& text);
    bool isBusy() const { return busy_; }
    // The program is ending (終　了, a refused connection) or a close waits for
    // the running command: commands stop at their next step, with no further
    // session call and no message.
    bool programEnding() const;

    // Held by every command that calls mclsFTP or yields: a close of the window
    // while one runs ends the session call in progress and takes effect when the
    // outermost command has returned, so mclsFTP is never destroyed inside one
    // of its own calls.
    class CommandScope
    {
    public:
        explicit CommandScope(Form1& form);
        ~CommandScope();
        CommandScope(const CommandScope&) = delete;
        CommandScope& operator=(const CommandScope&) = delete;

    private:
        Form1& form_;
    };

    // Window state.
    std::unique_ptr<clsFtpClient> mclsFTP;
    bool mblnSending = false;
    bool mblnReceiving = false;
    int mlngDirInsertPos = 1;

    // Directly on the window.
    QFrame* Frame2 = nullptr;
    ByteProgressBar* pbrState = nullptr;
    QFrame* Frame1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusBar1Panel1 = nullptr;

    // Settings panel.
    std::map<int, QLabel*> Label1; // elements 0 and 60
    QLineEdit* txtServer = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtUser = nullptr;
    std::array<QLabel*, 3> Label3{};
    QLineEdit* txtPass = nullptr;

    // Submission panel.
    std::array<QPushButton*, 2> Check3{};
    std::array<QDateEdit*, 2> DTPicker1{};
    QLabel* Label6 = nullptr;
    QPushButton* Option3 = nullptr;
    std::array<QLabel*, 2> Label4{};
    std::array<QLineEdit*, 2> Text1{};
    QPushButton* Option4 = nullptr;

    // Beyond the visible area.
    QPushButton* Command3 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option1 = nullptr;
    TagLineEdit* txtPath = nullptr;
    QPushButton* cmdUp = nullptr;
    QPushButton* cmdDisConnect = nullptr;
    QPushButton* cmdConnect = nullptr;
    QLabel* Picture1 = nullptr;
    RemoteListView* lvwList = nullptr;
    QLabel* Label5 = nullptr;
    ImageList imlImage;

    // Popup menu of the list.
    QMenu* mnuPopUp = nullptr;
    QAction* mnuGet = nullptr;
    QAction* mnuBar1 = nullptr;
    QAction* mnuNewDir = nullptr;
    QAction* mnuDel = nullptr;
    QAction* mnuRename = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Form1Layout.cpp
    void buildWindow();
    void buildSettingsPanel();
    void buildSubmissionPanel();
    void buildBrowser();
    void buildPopupMenu();
    void setTabOrder();
    void connectHandlers();
    void settingsPanelMoved();

    void connectSession();
    void endProgramNow();
    void commandFinished();

    std::unique_ptr<SingleInstance> instance_;
    int commandDepth_ = 0;
    bool closeRequested_ = false;
    bool busy_ = false;
    bool unloaded_ = false;
};
