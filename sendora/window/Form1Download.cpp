// Download of remote files into a local folder the user picks.
#include "platform/dialogs/MessageBox.h"
#include "sendora/session/clsFtpClient.h"
#include "sendora/window/BrowserText.h"
#include "sendora/window/ByteProgressBar.h"
#include "sendora/window/Form1.h"
#include "sendora/window/Form2.h"
#include "sendora/window/RemoteListView.h"
#include "sendora/window/clsBrowsFolder.h"

void Form1::mnuGet_Click()
{
    DownloadRows([](const RemoteListRow* row) {
        if (!row->isSelected())
            return RowChoice::Skip;
        return RemoteListView::tag(row) != RemoteListView::kDirectoryTag ? RowChoice::Take : RowChoice::Flag;
    });
}

void Form1::DownloadRows(const RowFilter& filter, const LocalNameRule& localName)
{
    CommandScope scope(*this);
    QStringList names;
    bool flagged = false;
    for (int i = 0; i < lvwList->rowCount(); ++i) {
        const RemoteListRow* row = lvwList->row(i);
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
        MessageBox::show(this, QStringLiteral("ディレクトリは取得できません。"), QStringLiteral("警告"),
                         MessageBox::Icon::Exclamation);
        return;
    }
    if (flagged) {
        const auto answer = MessageBox::show(
            this, QStringLiteral("ディレクトリは取得できません。\r\nファイルの取得を継続しますか？"),
            QStringLiteral("問いかけ"), MessageBox::Icon::Question, MessageBox::Buttons::YesNo);
        if (answer != MessageBox::Answer::Yes)
            return;
    }

    QString destination;
    {
        clsBrowsFolder picker;
        picker.setPDialogTitle(QStringLiteral("取得先ディレクトリを選択してください。"));
        picker.setPInitDir(0);
        picker.setPTarget(this);
        picker.setPUseDir(false);
        picker.mShowDialog();
        destination = picker.pPathName();
    }
    if (destination.isEmpty() || !mclsFTP)
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
        if (programEnding())
            return;
        total += qMax<qint64>(0, mclsFTP->FileSize(fetch.remote));
    }
    pbrState->setMaximum64(total);

    auto busyWindow = std::make_unique<Form2>();
    busyWindow->mShow(1, this);
    if (programEnding())
        return;

    mclsFTP->setReload(true);
    mclsFTP->setTransferType(TransferTypeFromOptions());
    mblnReceiving = true;
    for (const Fetch& fetch : fetches) {
        if (programEnding())
            break;
        mclsFTP->GetFile(fetch.remote, destination + fetch.local, clsFtpClient::kAttrNormal);
    }
    mblnReceiving = false;
    pbrState->setValue64(0);
    busyWindow.reset();
}
