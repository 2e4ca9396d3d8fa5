#include "sendora/window/FtpTransfers.h"

#include "platform/dialogs/MessageBox.h"
#include "sendora/session/clsFtpClient.h"
#include "sendora/window/BrowserText.h"
#include "sendora/window/ByteProgressBar.h"
#include "sendora/window/Form2.h"
#include "sendora/window/FtpBrowser.h"
#include "sendora/window/RemoteListView.h"
#include "sendora/window/TagLineEdit.h"
#include "sendora/window/clsBrowsFolder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

void FtpTransfers::downloadSelectedFiles()
{
    downloadRows([](const RemoteListRow* row) {
        if (!row->isSelected())
            return RowChoice::Skip;
        return RemoteListView::tag(row) != RemoteListView::kDirectoryTag ? RowChoice::Take : RowChoice::Flag;
    });
}

void FtpTransfers::downloadRows(const RowFilter& filter, const LocalNameRule& localName)
{
    FtpBrowser::CommandScope scope(browser_);
    const FtpBrowser::Controls& controls = browser_.controls();
    QStringList names;
    bool flagged = false;
    for (int i = 0; i < controls.list->rowCount(); ++i) {
        const RemoteListRow* row = controls.list->row(i);
        switch (filter(row)) {
        case RowChoice::Take:
            names.append(row->text(0));
            break;
        case RowChoice::Flag:
            flagged = true;
            break;
        case RowChoice::Skip:
            break;
        }
    }

    if (names.isEmpty() && flagged) {
        MessageBox::show(controls.window, QStringLiteral("ディレクトリは取得できません。"),
                         QStringLiteral("警告"), MessageBox::Icon::Exclamation);
        return;
    }
    if (flagged) {
        const auto answer = MessageBox::show(
            controls.window,
            QStringLiteral("ディレクトリは取得できません。\r\nファイルの取得を継続しますか？"),
            QStringLiteral("問いかけ"), MessageBox::Icon::Question, MessageBox::Buttons::YesNo);
        if (answer != MessageBox::Answer::Yes)
            return;
    }

    QString destination;
    {
        clsBrowsFolder picker;
        picker.setPDialogTitle(QStringLiteral("取得先ディレクトリを選択してください。"));
        picker.setPInitDir(0);
        picker.setPTarget(controls.window);
        picker.setPUseDir(false);
        picker.mShowDialog();
        destination = picker.pPathName();
    }
    clsFtpClient* client = browser_.client();
    if (destination.isEmpty() || !client)
        return;
    destination = BrowserText::withTrailingSeparator(destination);

    // Each file is written into the chosen folder under a name the server
    // supplied: a name that would lead elsewhere is not fetched.
    struct Fetch
    {
        QString remote;
        QString local;
    };
    QList<Fetch> fetches;
    for (const QString& name : names) {
        const QString local = localName ? localName(name) : name;
        if (BrowserText::IsSafeLocalName(local))
            fetches.append({name, local});
    }

    qint64 total = 0;
    for (const Fetch& fetch : fetches) {
        if (browser_.ending())
            return;
        total += qMax<qint64>(0, client->FileSize(fetch.remote));
    }
    controls.progress->setMaximum64(total);

    auto busyWindow = std::make_unique<Form2>();
    busyWindow->mShow(Form2::kReceiving, controls.window);
    if (browser_.ending())
        return;

    client->setReload(true);
    client->setTransferType(browser_.transferType());
    mblnReceiving = true;
    for (const Fetch& fetch : fetches) {
        if (browser_.ending())
            break;
        client->GetFile(fetch.remote, destination + fetch.local, clsFtpClient::kAttrNormal);
    }
    mblnReceiving = false;
    controls.progress->setValue64(0);
    busyWindow.reset();
}

bool FtpTransfers::put(const QString& localPath)
{
    clsFtpClient* client = browser_.client();
    mblnSending = true;
    client->setTransferType(browser_.transferType());
    const bool sent = client->PutFile(localPath, BrowserText::GetFileName(localPath));
    mblnSending = false;
    return sent;
}

void FtpTransfers::uploadDropped(const QMimeData* data)
{
    FtpBrowser::CommandScope scope(browser_);
    if (!data || !data->hasUrls())
        return;
    QStringList uploads;
    qint64 total = 0;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo item(url.toLocalFile());
        if (!item.isFile())
            continue;
        uploads.append(item.absoluteFilePath());
        total += item.size();
    }
    if (uploads.isEmpty() || !browser_.client())
        return;

    const FtpBrowser::Controls& controls = browser_.controls();
    controls.progress->setMaximum64(total);
    auto busyWindow = std::make_unique<Form2>();
    busyWindow->mShow(Form2::kSending, controls.window);
    if (browser_.ending())
        return;
    browser_.setBusy(true);
    for (const QString& path : uploads) {
        if (browser_.ending())
            break;
        put(path);
    }
    busyWindow.reset();
    controls.progress->setValue64(0);
    browser_.changeDirectory(controls.path->Tag);
}

bool FtpTransfers::sendFile(const QString& localPath)
{
    FtpBrowser::CommandScope scope(browser_);
    const QFileInfo file(localPath);
    if (!file.exists() || file.isDir() || !browser_.client())
        return false;
    const FtpBrowser::Controls& controls = browser_.controls();
    controls.progress->setMaximum64(file.size());
    QCoreApplication::processEvents();
    // 終　了 or a close at that yield ends the submission before the upload.
    if (browser_.ending())
        return false;
    browser_.setBusy(true);
    const bool sent = put(localPath);
    controls.progress->setValue64(0);
    browser_.changeDirectory(controls.path->Tag);
    browser_.setBusy(false);
    return sent;
}
