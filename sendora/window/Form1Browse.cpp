// The browser's handlers: each forwards to the FTP browser, where the commands
// live. The popup menu and the row pictures are the window's own.
#include "sendora/window/Form1.h"
#include "sendora/window/FtpBrowser.h"
#include "sendora/window/RemoteListView.h"
#include "sendora/window/TagLineEdit.h"

#include <QAction>
#include <QFileIconProvider>
#include <QLabel>
#include <QMenu>
#include <QPainter>

void Form1::cmdConnect_Click()
{
    browser_->connectToServer();
}

void Form1::cmdDisConnect_Click()
{
    browser_->disconnectFromServer();
}

void Form1::ShowResponse(const QString& text)
{
    browser_->showResponse(text);
}

void Form1::ChangeRemoteDir(const QString& path)
{
    browser_->changeDirectory(path);
}

void Form1::SetBusy(bool busy)
{
    browser_->setBusy(busy);
}

void Form1::cmdUp_Click()
{
    browser_->goUp();
}

void Form1::txtPath_KeyDown(int KeyCode)
{
    if (KeyCode == 13)
        browser_->goToTypedPath();
}

void Form1::lvwList_DblClick()
{
    browser_->openSelectedRow();
}

void Form1::mnuGet_Click()
{
    browser_->transfers().downloadSelectedFiles();
}

bool Form1::HasSelectedItem() const
{
    return browser_->hasSelectedRow();
}

void Form1::lvwList_MouseUp(Qt::MouseButton Button, const QPoint& position)
{
    if (Button != Qt::RightButton)
        return;
    if (HasSelectedItem()) {
        for (QAction* entry : {mnuGet, mnuNewDir, mnuRename, mnuDel})
            entry->setEnabled(true);
    } else {
        mnuRename->setEnabled(false);
        mnuDel->setEnabled(false);
        mnuGet->setEnabled(false);
        mnuNewDir->setEnabled(!txtPath->Tag.isEmpty());
    }
    mnuPopUp->popup(lvwList->viewport()->mapToGlobal(position));
}

void Form1::mnuNewDir_Click()
{
    browser_->createFolder();
}

void Form1::mnuRename_Click()
{
    browser_->startRename();
}

void Form1::lvwList_AfterLabelEdit(bool& Cancel, const QString& NewString)
{
    Cancel = !browser_->renameEditedRow(NewString);
}

void Form1::lvwList_OLEDragDrop(const QMimeData* Data)
{
    browser_->transfers().uploadDropped(Data);
}

// The theme's document (0) and closed-folder (3) pictures, drawn at 16 x 16 on
// the magenta mask colour of the image list.
QPixmap Form1::MakeListIcon(int iconNumber)
{
    QFileIconProvider provider;
    QIcon icon;
    if (iconNumber == 0)
        icon = provider.icon(QFileIconProvider::File);
    else if (iconNumber == 3)
        icon = provider.icon(QFileIconProvider::Folder);
    if (icon.isNull())
        return QPixmap();

    QPixmap picture(16, 16);
    picture.fill(QColor(0xff, 0x00, 0xff));
    QPainter painter(&picture);
    icon.paint(&painter, QRect(0, 0, 16, 16));
    painter.end();
    Picture1->resize(16, 16);
    Picture1->setPixmap(picture);
    return picture;
}
