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
const QString kDir = QStringLiteral("DIR");
// A server that keeps reporting its directory in yet another form must not
// send the refusal rule round for ever.
constexpr int kMaxRefusalDepth = 4;
} // namespace

void Form1::ChangeRemoteDir(const QString& path)
{
    static int depth = 0;
    CommandScope scope(*this);
    if (!mclsFTP)
        return;
    ++depth;
    SetBusy(true);
    mclsFTP->setCurrentDir(path);
    if (mclsFTP->CurrentDir() != path) {
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

// Any directory row leads to "public_html" below the shown directory: the
// products keep their data there.
void Form1::lvwList_DblClick()
{
    CommandScope scope(*this);
    if (lvwList->rowCount() == 0)
        return;
    const QTreeWidgetItem* row = lvwList->selectedRow();
    if (!row || RemoteListView::tag(row) != kDir)
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
    if (FileCnt > 0)
        pbrState->setMaximum64(FileCnt);
    mlngDirInsertPos = 1;
}

void Form1::mclsFTP_EnumFile(const QString& FileName, qint64 Size, quint32 Attr, const QDateTime&,
                             const QDateTime& ftWrite, const QDateTime&)
{
    if (FileName != QLatin1String(".") && FileName != QLatin1String("..")) {
        if (Attr & clsFtpClient::kAttrDirectory) {
            QTreeWidgetItem* row = lvwList->insertRow(
                mlngDirInsertPos, FileName, imlImage.icon(QStringLiteral("CLOSE")), QStringLiteral("CLOSE"));
            RemoteListView::setTag(row, kDir);
            lvwList->setSubItem(row, QStringLiteral("ACCESS"), BrowserText::DateText(ftWrite));
            lvwList->setSubItem(row, QStringLiteral("ATTR"), BrowserText::AttrText(Attr));
            mlngDirInsertPos = lvwList->indexOfTopLevelItem(row) + 2;
        } else {
            QTreeWidgetItem* row =
                lvwList->appendRow(FileName, imlImage.icon(QStringLiteral("FILE")), QStringLiteral("FILE"));
            lvwList->setSubItem(row, QStringLiteral("SIZE"), QString::number(Size));
            lvwList->setSubItem(row, QStringLiteral("ACCESS"), BrowserText::DateText(ftWrite));
            RemoteListView::setTag(row, QStringLiteral("FILE"));
            lvwList->setSubItem(row, QStringLiteral("ATTR"), BrowserText::AttrText(Attr));
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
