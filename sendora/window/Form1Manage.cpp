// The list's popup menu, new directories, renaming in place and the upload of
// dropped files.
#include "platform/dialogs/MessageBox.h"
#include "sendora/session/clsFtpClient.h"
#include "sendora/window/BrowserText.h"
#include "sendora/window/ByteProgressBar.h"
#include "sendora/window/Form1.h"
#include "sendora/window/Form2.h"
#include "sendora/window/RemoteListView.h"
#include "sendora/window/TagLineEdit.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

bool Form1::HasSelectedItem() const
{
    for (int i = 0; i < lvwList->rowCount(); ++i) {
        if (lvwList->row(i)->isSelected())
            return true;
    }
    return false;
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
    CommandScope scope(*this);
    if (!mclsFTP)
        return;
    QStringList names;
    for (int i = 0; i < lvwList->rowCount(); ++i)
        names.append(lvwList->row(i)->text(0));
    const QString name = BrowserText::NewFolderName(names);

    if (mclsFTP->CreateDirectory(name)) {
        RemoteListRow* row =
            lvwList->appendRow(name, imlImage.icon(QStringLiteral("CLOSE")), QStringLiteral("CLOSE"));
        RemoteListView::setTag(row, RemoteListView::kDirectoryTag);
        qint64 size = 0;
        quint32 attributes = 0;
        QDateTime created;
        QDateTime written = clsFtpClient::zeroDate();
        QDateTime accessed;
        mclsFTP->GetFileInfo(name, size, attributes, created, written, accessed);
        lvwList->setSubItem(row, QStringLiteral("ATTR"), BrowserText::AttrText(attributes));
        lvwList->setSubItem(row, QStringLiteral("ACCESS"), BrowserText::DateText(written));
    } else if (!programEnding()) {
        MessageBox::show(this, QStringLiteral("ディレクトリを作成できません。"), QStringLiteral("警告"),
                         MessageBox::Icon::Exclamation);
    }
    ShowResponse(mclsFTP->Response());
}

void Form1::mnuRename_Click()
{
    lvwList->startLabelEdit(lvwList->selectedRow());
}

void Form1::lvwList_AfterLabelEdit(bool& Cancel, const QString& NewString)
{
    CommandScope scope(*this);
    if (NewString.isEmpty()) {
        Cancel = true;
    } else {
        const RemoteListRow* row = lvwList->editingItem() ? lvwList->editingItem() : lvwList->selectedRow();
        if (!mclsFTP || !row || !mclsFTP->RenameFile(row->text(0), NewString))
            Cancel = true;
    }
    if (mclsFTP)
        ShowResponse(mclsFTP->Response());
}

// Only local regular files are uploaded (links followed): folders, devices and
// pipes are passed over like folders.
void Form1::lvwList_OLEDragDrop(const QMimeData* Data)
{
    CommandScope scope(*this);
    if (!Data || !Data->hasUrls())
        return;
    QStringList uploads;
    qint64 total = 0;
    for (const QUrl& url : Data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo item(url.toLocalFile());
        if (!item.isFile())
            continue;
        uploads.append(item.absoluteFilePath());
        total += item.size();
    }
    if (uploads.isEmpty() || !mclsFTP)
        return;

    pbrState->setMaximum64(total);
    auto busyWindow = std::make_unique<Form2>();
    busyWindow->mShow(0, this);
    if (programEnding())
        return;
    SetBusy(true);
    for (const QString& path : uploads) {
        if (programEnding())
            break;
        mblnSending = true;
        mclsFTP->setTransferType(TransferTypeFromOptions());
        mclsFTP->PutFile(path, BrowserText::GetFileName(path));
        mblnSending = false;
    }
    busyWindow.reset();
    pbrState->setValue64(0);
    ChangeRemoteDir(txtPath->Tag);
}
