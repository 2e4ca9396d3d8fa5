#include "sendora/window/FtpBrowser.h"

#include "platform/dialogs/MessageBox.h"
#include "platform/shell/ProgramExit.h"
#include "sendora/session/CertificateApproval.h"
#include "sendora/session/clsFtpClient.h"
#include "sendora/window/BrowserText.h"
#include "sendora/window/ByteProgressBar.h"
#include "sendora/window/ImageList.h"
#include "sendora/window/RemoteListView.h"
#include "sendora/window/ServerAddress.h"
#include "sendora/window/TagLineEdit.h"

#include <QApplication>
#include <QLabel>

namespace {
// A server that keeps reporting its directory in yet another form must not
// send the refusal rule round for ever.
constexpr int kMaxRefusalDepth = 4;
} // namespace

FtpBrowser::FtpBrowser(const Controls& controls, Hooks hooks, QObject* parent)
    : QObject(parent), controls_(controls), hooks_(std::move(hooks)), transfers_(*this)
{
}

FtpBrowser::~FtpBrowser()
{
    // The session's last events must find the browser whole.
    mclsFTP.reset();
    if (busy_)
        QApplication::restoreOverrideCursor();
}

void FtpBrowser::openSession()
{
    mclsFTP = std::make_unique<clsFtpClient>();
    clsFtpClient* session = mclsFTP.get();
    connect(session, &clsFtpClient::Send, this, &FtpBrowser::mclsFTP_Send);
    connect(session, &clsFtpClient::Receive, this, &FtpBrowser::mclsFTP_Receive);
    connect(session, &clsFtpClient::BeginEnumFiles, this, &FtpBrowser::mclsFTP_BeginEnumFiles);
    connect(session,
            qOverload<const QString&, qint64, quint32, const QDateTime&, const QDateTime&, const QDateTime&>(
                &clsFtpClient::EnumFile),
            this,
            [this](const QString& name, qint64 size, quint32 attr, const QDateTime&, const QDateTime& written,
                   const QDateTime&) { mclsFTP_EnumFile(name, size, attr, written); });
}

void FtpBrowser::releaseSession()
{
    mclsFTP.reset();
}

FtpBrowser::CommandScope::CommandScope(FtpBrowser& browser) : browser_(browser)
{
    ++browser_.commandDepth_;
}

FtpBrowser::CommandScope::~CommandScope()
{
    if (--browser_.commandDepth_ == 0)
        browser_.commandFinished();
}

void FtpBrowser::closeAfterCommand()
{
    closeRequested_ = true;
    if (mclsFTP)
        mclsFTP->cancel();
}

// A close that came while a command ran is carried out now that the command
// has returned from every call on the session.
void FtpBrowser::commandFinished()
{
    if (ProgramExit::endRequested()) {
        // The program was ended (終　了, a refused connection): nothing is saved.
        mclsFTP.reset();
        return;
    }
    if (closeRequested_) {
        closeRequested_ = false;
        controls_.window->close();
    }
}

bool FtpBrowser::ending() const
{
    return closeRequested_ || ProgramExit::endRequested();
}

void FtpBrowser::setBusy(bool busy)
{
    controls_.window->setEnabled(!busy);
    if (busy && !busy_)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!busy && busy_)
        QApplication::restoreOverrideCursor();
    busy_ = busy;
}

void FtpBrowser::showResponse(const QString& text)
{
    setStatusText(text.isEmpty() ? QString() : BrowserText::ReplyLineToShow(text));
}

void FtpBrowser::setStatusText(const QString& text)
{
    controls_.status->setText(text);
}

bool FtpBrowser::connectToServer()
{
    CommandScope scope(*this);
    if (!mclsFTP || ending())
        return false;
    setBusy(true);
    controls_.list->clear();

    // Beyond the plain host of the settings, "host:port" reaches a server on another port.
    const Hooks::Login login = hooks_.login();
    const ServerAddress address = ServerAddress::parse(login.server);
    auto connectOnce = [&] {
        try {
            mclsFTP->setPort(address.port);
            return mclsFTP->Connect(address.host, login.user, login.password);
        } catch (...) {
            return false;
        }
    };
    bool ok = connectOnce();

    if (!ok && mclsFTP->refusedCertificate()) {
        if (!offerChangedCertificate()) {
            ProgramExit::endNow();
            return false;
        }
        setBusy(true);
        ok = connectOnce();
    }

    if (!ok) {
        QCoreApplication::processEvents();
        setBusy(false);
        if (ending())
            return false; // closed while connecting: no message, the close follows
        MessageBox::show(controls_.window,
                         QStringLiteral("接続できません。終了します。\r\n再度起動して実行してください "));
        ProgramExit::endNow();
        return false;
    }

    showResponse(mclsFTP->Response());
    QCoreApplication::processEvents();
    setBusy(false);
    if (ending())
        return false;
    changeDirectory(mclsFTP->CurrentDir());
    openSelectedRow();
    return !ending();
}

// The server's pinned certificate changed: say so; only an administrator may
// accept the new one. True: it was accepted.
bool FtpBrowser::offerChangedCertificate()
{
    setBusy(false);
    return CertificateApproval::offer(
        *mclsFTP,
        [this](const QString& text) {
            return MessageBox::show(controls_.window, text, QStringLiteral("警告"),
                                    MessageBox::Icon::Exclamation,
                                    MessageBox::Buttons::YesNo) == MessageBox::Answer::Yes;
        },
        hooks_.askAdministratorCode);
}

void FtpBrowser::disconnectFromServer()
{
    CommandScope scope(*this);
    if (mclsFTP)
        mclsFTP->DisConnect();
    controls_.list->clear();
    controls_.path->setText(QString());
    controls_.path->Tag = QString();
}

void FtpBrowser::changeDirectory(const QString& path)
{
    CommandScope scope(*this);
    if (!mclsFTP || ending()) {
        setBusy(false);
        return;
    }
    ++refusalDepth_;
    setBusy(true);
    mclsFTP->setCurrentDir(path);
    if (ending()) {
        // Closed inside the call: no message and no further listing.
    } else if (mclsFTP->CurrentDir() != path) {
        MessageBox::show(controls_.window, QStringLiteral("パスが不正です。"), QStringLiteral("警告"),
                         MessageBox::Icon::Exclamation);
        listAgainAfterRefusal();
    } else {
        mclsFTP->EnumFile();
        controls_.path->setText(path);
        controls_.path->Tag = path;
        controls_.progress->setValue64(0);
        // The commands act on the selected row; a fresh list starts with its first row.
        if (controls_.list->rowCount() > 0)
            controls_.list->selectOnly(controls_.list->row(0));
    }
    setBusy(false);
    --refusalDepth_;
}

// The server stayed elsewhere (or reports the folder in another form): show
// where it is, and list that unless it is the folder already listed.
void FtpBrowser::listAgainAfterRefusal()
{
    TagLineEdit* path = controls_.path;
    path->setText(mclsFTP->CurrentDir());
    if (path->Tag != path->text() && refusalDepth_ < kMaxRefusalDepth)
        changeDirectory(mclsFTP->CurrentDir());
}

void FtpBrowser::goUp()
{
    const QString shown = controls_.path->Tag;
    if (!shown.isEmpty() && shown != QLatin1String("/"))
        changeDirectory(BrowserText::ParentPath(shown));
}

void FtpBrowser::goToTypedPath()
{
    if (!controls_.path->text().isEmpty())
        changeDirectory(controls_.path->text());
}

// Whether a link leads to a folder only the server knows: it is asked to
// change into the link (and back). The row then turns into a folder row where
// it stands; on refusal it stays a file row.
bool FtpBrowser::linkRowLeadsToFolder(RemoteListRow* row)
{
    if (!(RemoteListView::attributes(row) & clsFtpClient::kAttrReparsePoint))
        return false;
    const QString shown = controls_.path->Tag;
    mclsFTP->setCurrentDir(BrowserText::AddSlash(shown) + row->text(0));
    const QString inside = mclsFTP->CurrentDir();
    if (inside.isEmpty() || inside == shown)
        return false;
    mclsFTP->setCurrentDir(shown);
    RemoteListView::setTag(row, RemoteListView::kDirectoryTag);
    RemoteListView::setIcon(row, controls_.icons->icon(RemoteListView::kFolderPicture),
                            RemoteListView::kFolderPicture);
    controls_.list->setSubItem(row, QStringLiteral("SIZE"), QString());
    return true;
}

// Any folder row leads to "public_html" below the shown folder: the products
// keep their data there.
void FtpBrowser::openSelectedRow()
{
    CommandScope scope(*this);
    if (controls_.list->rowCount() == 0 || !mclsFTP)
        return;
    RemoteListRow* row = controls_.list->selectedRow();
    if (!row)
        return;
    if (RemoteListView::tag(row) != RemoteListView::kDirectoryTag && !linkRowLeadsToFolder(row))
        return;
    QCoreApplication::processEvents();
    changeDirectory(BrowserText::AddSlash(controls_.path->Tag) + QStringLiteral("public_html"));
}

bool FtpBrowser::hasSelectedRow() const
{
    for (int i = 0; i < controls_.list->rowCount(); ++i) {
        if (controls_.list->row(i)->isSelected())
            return true;
    }
    return false;
}

void FtpBrowser::createFolder()
{
    CommandScope scope(*this);
    if (!mclsFTP)
        return;
    RemoteListView* list = controls_.list;
    QStringList names;
    for (int i = 0; i < list->rowCount(); ++i)
        names.append(list->row(i)->text(0));
    const QString name = BrowserText::NewFolderName(names);

    if (mclsFTP->CreateDirectory(name)) {
        RemoteListRow* row = list->appendRow(name, controls_.icons->icon(RemoteListView::kFolderPicture),
                                             RemoteListView::kFolderPicture);
        RemoteListView::setTag(row, RemoteListView::kDirectoryTag);
        qint64 size = 0;
        quint32 attributes = 0;
        QDateTime created;
        QDateTime written = clsFtpClient::zeroDate();
        QDateTime accessed;
        mclsFTP->GetFileInfo(name, size, attributes, created, written, accessed);
        list->setSubItem(row, QStringLiteral("ATTR"), BrowserText::AttrText(attributes));
        list->setSubItem(row, QStringLiteral("ACCESS"), BrowserText::DateText(written));
    } else if (!ending()) {
        MessageBox::show(controls_.window, QStringLiteral("ディレクトリを作成できません。"),
                         QStringLiteral("警告"), MessageBox::Icon::Exclamation);
    }
    showResponse(mclsFTP->Response());
}

void FtpBrowser::startRename()
{
    controls_.list->startLabelEdit(controls_.list->selectedRow());
}

bool FtpBrowser::renameEditedRow(const QString& newName)
{
    CommandScope scope(*this);
    bool renamed = false;
    if (!newName.isEmpty()) {
        RemoteListView* list = controls_.list;
        const RemoteListRow* row = list->editingItem() ? list->editingItem() : list->selectedRow();
        renamed = mclsFTP && row && mclsFTP->RenameFile(row->text(0), newName);
    }
    if (mclsFTP)
        showResponse(mclsFTP->Response());
    return renamed;
}

void FtpBrowser::mclsFTP_BeginEnumFiles(int FileCnt)
{
    controls_.list->clear();
    controls_.list->reserveRows(FileCnt);
    if (FileCnt > 0)
        controls_.progress->setMaximum64(FileCnt);
    mlngDirInsertPos = 1;
}

// A symbolic link is listed as a file row (it downloads as one) until a
// double-click finds that it leads to a folder. "." and ".." give no row but
// count in the progress.
void FtpBrowser::mclsFTP_EnumFile(const QString& FileName, qint64 Size, quint32 Attr,
                                  const QDateTime& ftWrite)
{
    if (FileName != QLatin1String(".") && FileName != QLatin1String("..")) {
        const bool folder = Attr & clsFtpClient::kAttrDirectory;
        const QString picture = folder ? RemoteListView::kFolderPicture : RemoteListView::kFilePicture;
        RemoteListEntry entry{FileName,
                              folder ? RemoteListView::kDirectoryTag : RemoteListView::kFileTag,
                              picture,
                              controls_.icons->icon(picture),
                              folder ? std::nullopt : std::optional<qint64>(Size),
                              ftWrite,
                              Attr};
        RemoteListView* list = controls_.list;
        if (folder) {
            RemoteListRow* row = list->insertEntryRow(mlngDirInsertPos, entry);
            mlngDirInsertPos = list->indexOf(row) + 2;
        } else {
            list->insertEntryRow(list->rowCount() + 1, entry);
        }
    }
    controls_.progress->addValue64(1);
}

void FtpBrowser::mclsFTP_Send(qint64 Bytes, const QString& Response)
{
    showResponse(Response);
    if (transfers_.sending())
        controls_.progress->addValue64(Bytes);
}

void FtpBrowser::mclsFTP_Receive(qint64 Bytes, const QString& Response)
{
    showResponse(Response);
    if (transfers_.receiving())
        controls_.progress->addValue64(Bytes);
}
