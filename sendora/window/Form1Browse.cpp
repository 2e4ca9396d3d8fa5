// The remote list: listing a directory into rows, moving between directories,
// the busy state, the row pictures and the transfer events.
#include "platform/dialogs/MessageBox.h"
#include "sendora/session/clsFtpClient.h"
#include "sendora/window/BrowserText.h"
#include "sendora/window/ByteProgressBar.h"
#include "sendora/window/Form1.h"
#include "sendora/window/RemoteListView.h"
#include "sendora/window/TagLineEdit.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QLabel>
#include <QPainter>

namespace {
// A server that keeps reporting its directory in yet another form must not
// send the refusal rule round for ever.
constexpr int kMaxRefusalDepth = 4;
} // namespace

void Form1::ChangeRemoteDir(const QString& path)
{
    static int depth = 0;
    CommandScope scope(*this);
    if (!mclsFTP || programEnding()) {
        SetBusy(false);
        return;
    }
    ++depth;
    SetBusy(true);
    mclsFTP->setCurrentDir(path);
    if (programEnding()) {
        // Closed inside the call: no message and no further listing.
    } else if (mclsFTP->CurrentDir() != path) {
        MessageBox::show(this, QStringLiteral("パスが不正です。"), QStringLiteral("警告"),
                         MessageBox::Icon::Exclamation);
        txtPath->setText(mclsFTP->CurrentDir());
        if (txtPath->Tag != txtPath->text() && depth < kMaxRefusalDepth)
            ChangeRemoteDir(mclsFTP->CurrentDir());
    } else {
        mclsFTP->EnumFile();
        txtPath->setText(path);
        txtPath->Tag = path;
        pbrState->setValue64(0);
        // The commands act on the selected row; a fresh list starts with its first row.
        if (lvwList->rowCount() > 0)
            lvwList->selectOnly(lvwList->row(0));
    }
    SetBusy(false);
    --depth;
}

void Form1::SetBusy(bool busy)
{
    setEnabled(!busy);
    if (busy && !busy_)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!busy && busy_)
        QApplication::restoreOverrideCursor();
    busy_ = busy;
}

void Form1::cmdUp_Click()
{
    const QString shown = txtPath->Tag;
    if (!shown.isEmpty() && shown != QLatin1String("/"))
        ChangeRemoteDir(BrowserText::ParentPath(shown));
}

void Form1::txtPath_KeyDown(int KeyCode)
{
    if (KeyCode == 13 && !txtPath->text().isEmpty())
        ChangeRemoteDir(txtPath->text());
}

namespace {

// A link whose target is a folder is opened like one. Whether it is one, only
// the server knows: it is asked to change into the link (and back). The row
// then turns into a directory row where it stands; on refusal it stays a file row.
bool linkRowLeadsToFolder(clsFtpClient& client, RemoteListView& list, RemoteListRow* row,
                          const QString& shown, const QIcon& folderIcon)
{
    if (!(RemoteListView::attributes(row) & clsFtpClient::kAttrReparsePoint))
        return false;
    client.setCurrentDir(BrowserText::AddSlash(shown) + row->text(0));
    const QString inside = client.CurrentDir();
    if (inside.isEmpty() || inside == shown)
        return false;
    client.setCurrentDir(shown);
    RemoteListView::setTag(row, RemoteListView::kDirectoryTag);
    RemoteListView::setIcon(row, folderIcon, QStringLiteral("CLOSE"));
    list.setSubItem(row, QStringLiteral("SIZE"), QString());
    return true;
}

} // namespace

// Any directory row leads to "public_html" below the shown directory: the
// products keep their data there.
void Form1::lvwList_DblClick()
{
    CommandScope scope(*this);
    if (lvwList->rowCount() == 0 || !mclsFTP)
        return;
    RemoteListRow* row = lvwList->selectedRow();
    if (!row)
        return;
    if (RemoteListView::tag(row) != RemoteListView::kDirectoryTag &&
        !linkRowLeadsToFolder(*mclsFTP, *lvwList, row, txtPath->Tag, imlImage.icon(QStringLiteral("CLOSE"))))
        return;
    QCoreApplication::processEvents();
    ChangeRemoteDir(BrowserText::AddSlash(txtPath->Tag) + QStringLiteral("public_html"));
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

void Form1::mclsFTP_BeginEnumFiles(int FileCnt)
{
    lvwList->clear();
    lvwList->reserveRows(FileCnt);
    if (FileCnt > 0)
        pbrState->setMaximum64(FileCnt);
    mlngDirInsertPos = 1;
}

// A symbolic link is listed as a file row (it downloads as one) until a
// double-click finds that it leads to a folder.
void Form1::mclsFTP_EnumFile(const QString& FileName, qint64 Size, quint32 Attr, const QDateTime&,
                             const QDateTime& ftWrite, const QDateTime&)
{
    if (FileName != QLatin1String(".") && FileName != QLatin1String("..")) {
        const bool directory = Attr & clsFtpClient::kAttrDirectory;
        const QString picture = directory ? QStringLiteral("CLOSE") : QStringLiteral("FILE");
        RemoteListEntry entry{FileName,
                              directory ? RemoteListView::kDirectoryTag : QStringLiteral("FILE"),
                              picture,
                              imlImage.icon(picture),
                              directory ? std::nullopt : std::optional<qint64>(Size),
                              ftWrite,
                              Attr};
        if (directory) {
            RemoteListRow* row = lvwList->insertEntryRow(mlngDirInsertPos, entry);
            mlngDirInsertPos = lvwList->indexOf(row) + 2;
        } else {
            lvwList->insertEntryRow(lvwList->rowCount() + 1, entry);
        }
    }
    pbrState->addValue64(1);
}

void Form1::mclsFTP_Send(qint64 Bytes, const QString& Response)
{
    ShowResponse(Response);
    if (mblnSending)
        pbrState->addValue64(Bytes);
}

void Form1::mclsFTP_Receive(qint64 Bytes, const QString& Response)
{
    ShowResponse(Response);
    if (mblnReceiving)
        pbrState->addValue64(Bytes);
}
