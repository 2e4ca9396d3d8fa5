#pragma once

#include <QString>
#include <functional>

class FtpBrowser;
class QMimeData;
class RemoteListRow;

// The browser's transfers: listed rows down into a local folder the user picks,
// dropped local files up into the shown folder, and one file up for a
// submission. While one runs, the session's Send or Receive events advance
// the progress bar.
class FtpTransfers
{
public:
    // Per row of the list: fetched, passed over, or flagging the command (a
    // selected row that cannot be fetched).
    enum class RowChoice
    {
        Skip,
        Take,
        Flag
    };
    using RowFilter = std::function<RowChoice(const RemoteListRow* row)>;
    // A remote name to the local file name; empty: the same name.
    using LocalNameRule = std::function<QString(const QString& remoteName)>;

    explicit FtpTransfers(FtpBrowser& browser) : browser_(browser) {}

    // One routine for every download command.
    void downloadRows(const RowFilter& filter, const LocalNameRule& localName = {});
    // The selected file rows; a selected folder row flags.
    void downloadSelectedFiles();
    // Only local regular files are uploaded (links followed); the folder is listed again.
    void uploadDropped(const QMimeData* data);
    // One file into the current remote folder, which is listed again; true
    // when the server took the whole file.
    bool sendFile(const QString& localPath);

    bool sending() const { return mblnSending; }
    bool receiving() const { return mblnReceiving; }

private:
    bool put(const QString& localPath);

    FtpBrowser& browser_;
    bool mblnSending = false;
    bool mblnReceiving = false;
};
