// Construction of the main window: controls, places in twips, colours,
// stacking and tab order, and the wiring of controls to their handlers.
#include "platform/shell/SingleInstance.h"
#include "platform/ui/Twips.h"
#include "sendora/window/ByteProgressBar.h"
#include "sendora/window/Form1.h"
#include "sendora/window/FtpBrowser.h"
#include "sendora/window/RemoteListView.h"
#include "sendora/window/TagLineEdit.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

namespace {

// Colours are given as 0x00BBGGRR values.
QColor fromBgr(quint32 value)
{
    return QColor(static_cast<int>(value & 0xff), static_cast<int>((value >> 8) & 0xff),
                  static_cast<int>((value >> 16) & 0xff));
}

const QColor kPanel = fromBgr(0x004040);
const QColor kGrey = fromBgr(0x404040);
const QColor kWhite = fromBgr(0xffffff);

void paint(QWidget* widget, const QColor& background, const QColor& text)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::Button, background);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::ButtonText, text);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel* label(QWidget* parent, const QString& caption, const QColor& background, const QColor& text)
{
    auto* result = new QLabel(caption, parent);
    paint(result, background, text);
    return result;
}

QFrame* frame(QWidget* parent)
{
    auto* result = new QFrame(parent);
    result->setFrameShape(QFrame::Box);
    result->setFrameShadow(QFrame::Sunken);
    paint(result, kPanel, kWhite);
    return result;
}

// Check boxes and option buttons drawn as buttons.
QPushButton* graphicalButton(QWidget* parent, const QString& caption)
{
    auto* result = new QPushButton(caption, parent);
    result->setCheckable(true);
    result->setAutoDefault(false);
    return result;
}

} // namespace

Form1::Form1(QWidget* parent) : QWidget(parent)
{
    buildWindow();
    createBrowser();
    connectHandlers();
    Form_Load();
}

void Form1::buildWindow()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("管理機能"));
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    setFixedSize(Twips::toPixels(7965), Twips::toPixels(3705));
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);

    // Created bottom of the stack first: status bar, submission panel, progress
    // bar, settings panel on top.
    StatusBar1 = Twips::named(new QStatusBar(this), QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1Panel1 = Twips::named(new QLabel(StatusBar1), QStringLiteral("StatusBar1_Panel1"));
    StatusBar1->addWidget(StatusBar1Panel1, 1);
    Twips::place(StatusBar1, 0, 3390, 7965, 315);

    Frame1 = Twips::named(frame(this), QStringLiteral("Frame1"));
    Twips::place(Frame1, 0, 0, 7935, 3375);
    buildSubmissionPanel();

    pbrState = Twips::named(new ByteProgressBar(this), QStringLiteral("pbrState"));
    Twips::place(pbrState, 80, 3050, 7725, 255);

    Frame2 = Twips::named(frame(this), QStringLiteral("Frame2"));
    Twips::place(Frame2, 9480, 600, 4215, 1935);
    Frame2->installEventFilter(this);
    buildSettingsPanel();

    buildBrowser();
    buildPopupMenu();
    setTabOrder();
    settingsPanelMoved();
}

void Form1::buildSettingsPanel()
{
    Label1[0] = Twips::element(label(Frame2, QStringLiteral("サーバー："), kPanel, kWhite),
                               QStringLiteral("Label1"), 0);
    Twips::place(Label1[0], 480, 540, 1035, 225);
    txtServer = Twips::named(new QLineEdit(Frame2), QStringLiteral("txtServer"));
    Twips::place(txtServer, 1680, 480, 1725, 315);
    Label2 =
        Twips::named(label(Frame2, QStringLiteral("ユーザー："), kPanel, kWhite), QStringLiteral("Label2"));
    Twips::place(Label2, 480, 900, 1035, 225);
    txtUser = Twips::named(new QLineEdit(Frame2), QStringLiteral("txtUser"));
    Twips::place(txtUser, 1680, 840, 1695, 315);
    Label3[0] = Twips::element(label(Frame2, QStringLiteral("パスワード："), kPanel, kWhite),
                               QStringLiteral("Label3"), 0);
    Twips::place(Label3[0], 360, 1290, 1155, 225);
    txtPass = Twips::named(new QLineEdit(Frame2), QStringLiteral("txtPass"));
    txtPass->setEchoMode(QLineEdit::Password);
    txtPass->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    Twips::place(txtPass, 1680, 1230, 1695, 315);
}

void Form1::buildSubmissionPanel()
{
    Check3[0] = Twips::element(graphicalButton(Frame1, QStringLiteral("検証データ送信")),
                               QStringLiteral("Check3"), 0);
    paint(Check3[0], kPanel, kWhite);
    Twips::place(Check3[0], 240, 360, 1935, 255);

    Label3[1] =
        Twips::element(label(Frame1, QStringLiteral("期間指定"), kGrey, kWhite), QStringLiteral("Label3"), 1);
    Twips::place(Label3[1], 240, 840, 1665, 255);

    for (int i = 0; i < 2; ++i) {
        DTPicker1[i] = Twips::element(new QDateEdit(Frame1), QStringLiteral("DTPicker1"), i);
        DTPicker1[i]->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
        DTPicker1[i]->setCalendarPopup(true);
        // No close-up signal: the popup hiding is the close-up (pick, Esc or a click outside).
        QWidget* popup = DTPicker1[i]->calendarWidget()->window();
        popup->setProperty("pickerIndex", i);
        popup->installEventFilter(this);
    }
    Twips::place(DTPicker1[0], 1920, 840, 1455, 255);
    Label1[60] =
        Twips::element(label(Frame1, QStringLiteral("～"), kPanel, kWhite), QStringLiteral("Label1"), 60);
    Twips::place(Label1[60], 3435, 900, 255, 255);
    Twips::place(DTPicker1[1], 3720, 840, 1455, 255);

    Label3[2] =
        Twips::element(label(Frame1, QStringLiteral("日数"), kGrey, kWhite), QStringLiteral("Label3"), 2);
    Twips::place(Label3[2], 5280, 840, 585, 255);
    Label6 = Twips::named(new QLabel(Frame1), QStringLiteral("Label6"));
    paint(Label6, palette().color(QPalette::Base), palette().color(QPalette::Text));
    Twips::place(Label6, 5880, 840, 495, 255);

    Check3[1] = Twips::element(graphicalButton(Frame1, QStringLiteral("パスワード変更")),
                               QStringLiteral("Check3"), 1);
    paint(Check3[1], kPanel, kWhite);
    Twips::place(Check3[1], 240, 1560, 1935, 255);
    // A ticked box drawn as a button must look pressed on the dark panel too.
    for (QPushButton* box : Check3) {
        connect(box, &QPushButton::toggled, box, [box](bool checked) {
            QPalette palette = box->palette();
            palette.setColor(QPalette::Button, checked ? kPanel.lighter(220) : kPanel);
            box->setPalette(palette);
        });
    }

    Option3 = Twips::named(graphicalButton(Frame1, QStringLiteral("送　信")), QStringLiteral("Option3"));
    paint(Option3, fromBgr(0x0000c0), kWhite);
    Twips::place(Option3, 5880, 1680, 1815, 495);

    for (int i = 0; i < 2; ++i) {
        const QString caption = i == 0 ? QStringLiteral("管理Pass") : QStringLiteral("検証Pass");
        Label4[i] = Twips::element(label(Frame1, caption, kGrey, kWhite), QStringLiteral("Label4"), i);
        Label4[i]->installEventFilter(this);
        Text1[i] = Twips::element(new QLineEdit(Frame1), QStringLiteral("Text1"), i);
    }
    Twips::place(Label4[0], 240, 1920, 1095, 270);
    Twips::place(Text1[0], 1320, 1920, 1335, 270);
    Twips::place(Label4[1], 240, 2280, 1095, 270);
    Twips::place(Text1[1], 1320, 2280, 1335, 270);

    Option4 = Twips::named(graphicalButton(Frame1, QStringLiteral("終　了")), QStringLiteral("Option4"));
    paint(Option4, fromBgr(0xff0000), kWhite);
    Twips::place(Option4, 5880, 2280, 1815, 495);
}

// The browser and the submission buttons lie beyond the client area: ordinary,
// enabled controls the code drives, reachable by their access keys.
void Form1::buildBrowser()
{
    Command3 = Twips::named(new QPushButton(QStringLiteral("ダウン"), this), QStringLiteral("Command3"));
    Twips::place(Command3, 19200, 7200, 1095, 495);
    Command2 = Twips::named(new QPushButton(QStringLiteral("Pass"), this), QStringLiteral("Command2"));
    Twips::place(Command2, 19200, 6480, 1215, 495);
    Command1 = Twips::named(new QPushButton(QStringLiteral("検証ﾃﾞｰﾀ"), this), QStringLiteral("Command1"));
    Twips::place(Command1, 19200, 5760, 1095, 495);
    Text2 = Twips::named(new QLineEdit(QStringLiteral("Text2"), this), QStringLiteral("Text2"));
    Twips::place(Text2, 17880, 8280, 3375, 1815);
    Option2 = Twips::named(new QRadioButton(QStringLiteral("ASCII"), this), QStringLiteral("Option2"));
    Twips::place(Option2, 22350, 630, 885, 255);
    Option1 = Twips::named(new QRadioButton(QStringLiteral("Binary"), this), QStringLiteral("Option1"));
    Option1->setChecked(true);
    Twips::place(Option1, 22350, 330, 885, 255);
    txtPath = Twips::named(new TagLineEdit(QStringLiteral("Text1"), this), QStringLiteral("txtPath"));
    Twips::place(txtPath, 17310, 1410, 4935, 285);
    cmdUp = Twips::named(new QPushButton(QStringLiteral("上へ(&U)"), this), QStringLiteral("cmdUp"));
    Twips::place(cmdUp, 22380, 1380, 915, 345);
    cmdDisConnect =
        Twips::named(new QPushButton(QStringLiteral("切断(&D)"), this), QStringLiteral("cmdDisConnect"));
    Twips::place(cmdDisConnect, 20280, 690, 1095, 435);
    cmdConnect =
        Twips::named(new QPushButton(QStringLiteral("接続(&C)"), this), QStringLiteral("cmdConnect"));
    Twips::place(cmdConnect, 20280, 180, 1095, 435);
    for (QPushButton* button : {Command3, Command2, Command1, cmdUp, cmdDisConnect, cmdConnect})
        button->setAutoDefault(false);

    Picture1 = Twips::named(new QLabel(this), QStringLiteral("Picture1"));
    Twips::place(Picture1, 21120, 1140, 405, 375);
    Picture1->hide();

    lvwList = Twips::named(new RemoteListView(this), QStringLiteral("lvwList"));
    Twips::place(lvwList, 17160, 1920, 6045, 3435);

    Label5 = Twips::named(new QLabel(this), QStringLiteral("Label5"));
    Twips::place(Label5, 1200, 4320, 6255, 255);
}

void Form1::buildPopupMenu()
{
    mnuPopUp = Twips::named(new QMenu(QStringLiteral("ポップアップ"), this), QStringLiteral("mnuPopUp"));
    mnuGet =
        Twips::named(mnuPopUp->addAction(QStringLiteral("ファイルの取得(&G)")), QStringLiteral("mnuGet"));
    mnuBar1 = Twips::named(mnuPopUp->addSeparator(), QStringLiteral("mnuBar1"));
    mnuNewDir = Twips::named(mnuPopUp->addAction(QStringLiteral("ディレクトリ作成(&N)")),
                             QStringLiteral("mnuNewDir"));
    mnuDel = Twips::named(mnuPopUp->addAction(QStringLiteral("削除(&D)")), QStringLiteral("mnuDel"));
    mnuRename =
        Twips::named(mnuPopUp->addAction(QStringLiteral("名前の変更(&R)")), QStringLiteral("mnuRename"));
}

// In the order of the layout: settings panel, submission panel, then the
// controls beyond the visible area.
void Form1::setTabOrder()
{
    const QList<QWidget*> order{txtServer, txtUser,       txtPass,    Check3[0], DTPicker1[0], DTPicker1[1],
                                Check3[1], Option3,       Text1[0],   Text1[1],  Option4,      Command3,
                                Command2,  Command1,      Text2,      Option2,   Option1,      txtPath,
                                cmdUp,     cmdDisConnect, cmdConnect, lvwList};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void Form1::connectHandlers()
{
    connect(cmdConnect, &QPushButton::clicked, this, [this] { cmdConnect_Click(); });
    connect(cmdDisConnect, &QPushButton::clicked, this, [this] { cmdDisConnect_Click(); });
    connect(cmdUp, &QPushButton::clicked, this, [this] { cmdUp_Click(); });
    connect(txtPath, &TagLineEdit::KeyDown, this, [this](int key) { txtPath_KeyDown(key); });
    for (int i = 0; i < 2; ++i)
        connect(Check3[i], &QPushButton::clicked, this, [this, i] { Check3_Click(i); });
    connect(Option3, &QPushButton::clicked, this, [this] { Option3_Click(); });
    connect(Option4, &QPushButton::clicked, this, [this] { Option4_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] {
        FtpBrowser::CommandScope scope(*browser_);
        Command1_Click();
    });
    connect(Command2, &QPushButton::clicked, this, [this] {
        FtpBrowser::CommandScope scope(*browser_);
        Command2_Click();
    });
    connect(Command3, &QPushButton::clicked, this, [this] {
        FtpBrowser::CommandScope scope(*browser_);
        Command3_Click();
    });

    connect(lvwList, &RemoteListView::DblClick, this, [this] { lvwList_DblClick(); });
    connect(lvwList, &RemoteListView::MouseUp, this,
            [this](Qt::MouseButton button, const QPoint& position) { lvwList_MouseUp(button, position); });
    connect(lvwList, &RemoteListView::OLEDragDrop, this,
            [this](const QMimeData* data) { lvwList_OLEDragDrop(data); });
    lvwList->setAfterLabelEdit([this](const QString& newText) {
        bool cancel = false;
        lvwList_AfterLabelEdit(cancel, newText);
        return cancel;
    });

    connect(mnuGet, &QAction::triggered, this, [this] { mnuGet_Click(); });
    connect(mnuNewDir, &QAction::triggered, this, [this] { mnuNewDir_Click(); });
    connect(mnuRename, &QAction::triggered, this, [this] { mnuRename_Click(); });
}
