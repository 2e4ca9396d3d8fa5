#pragma once

#include "sendora/window/ImageList.h"

#include <QWidget>
#include <array>
#include <map>
#include <memory>

class ByteProgressBar;
class FtpBrowser;
class RemoteListView;
class SingleInstance;
class TagLineEdit;
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

// Sendora's main window: the submission panel the user sees, the settings panel
// an administrator brings into view, and the controls of the FTP browser, which
// lie beyond the visible area. The browser's commands live in FtpBrowser (a new
// browser command goes there); the handlers here forward to it or to the
// submissions (Form1Submissions.cpp).
//
// Control arrays: element k of array Name is the member Name[k] and the Qt
// object "Name_k" with the dynamic property "index" = k.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up, settings, connection (Form1Startup.cpp, Form1Browse.cpp).
    void Form_Load();
    void Form_Unload();
    void cmdConnect_Click();
    void cmdDisConnect_Click();
    void ShowResponse(const QString& text);
    void Check3_Click(int Index);
    void Option3_Click();
    void Option4_Click();
    void Label4_DblClick(int Index);
    void Frame2_DblClick();
    void DTPicker1_CloseUp(int Index);

    // The browser's handlers (Form1Browse.cpp).
    void ChangeRemoteDir(const QString& path);
    void SetBusy(bool busy);
    void cmdUp_Click();
    void txtPath_KeyDown(int KeyCode);
    void lvwList_DblClick();
    QPixmap MakeListIcon(int iconNumber);
    void mnuGet_Click();
    void lvwList_MouseUp(Qt::MouseButton Button, const QPoint& position);
    void mnuNewDir_Click();
    void mnuRename_Click();
    void lvwList_AfterLabelEdit(bool& Cancel, const QString& NewString);
    void lvwList_OLEDragDrop(const QMimeData* Data);
    bool HasSelectedItem() const;

    // Submissions (Form1Submissions.cpp).
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    QString statusText() const;
    void setStatusText(const QString& text);
    // The program is ending, or a close waits for the running command.
    bool programEnding() const;
    // The FTP browser these controls belong to, with the session (mclsFTP).
    FtpBrowser& browser() const { return *browser_; }

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

    void createBrowser();
    // The administrator unlock's input box; true when the code was entered.
    bool askAdministratorCode();
    void endProgramNow();
    // 2 (binary) when "Binary" is selected, else 1 (ASCII).
    int TransferTypeFromOptions() const;

    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<FtpBrowser> browser_;
    bool unloaded_ = false;
};
