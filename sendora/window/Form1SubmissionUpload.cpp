// The single-file upload both submissions end with: one file into the current
// remote directory, the directory listed again, the session closed.
#include "platform/shell/ProgramFolder.h"
#include "sendora/session/clsFtpClient.h"
#include "sendora/submission/SubmissionPaths.h"
#include "sendora/window/BrowserText.h"
#include "sendora/window/ByteProgressBar.h"
#include "sendora/window/Form1.h"
#include "sendora/window/Form1SubmissionText.h"
#include "sendora/window/TagLineEdit.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

bool upload(Form1& form, const QString& localPath)
{
    form.SetBusy(true);
    form.mblnSending = true;
    form.mclsFTP->setTransferType(form.TransferTypeFromOptions());
    const bool sent = form.mclsFTP->PutFile(localPath, BrowserText::GetFileName(localPath));
    form.mblnSending = false;
    form.pbrState->setValue64(0);
    form.ChangeRemoteDir(form.txtPath->Tag);
    form.SetBusy(false);
    return sent;
}

// True only when the server took the whole file. The status line says which.
bool sendSingleFile(Form1& form, const QString& localPath, const QString& doneText, const QString& failedText)
{
    Form1::CommandScope scope(form);
    bool sent = false;
    const QFileInfo file(localPath);
    if (file.exists() && !file.isDir() && form.mclsFTP) {
        form.pbrState->setMaximum64(file.size());
        QCoreApplication::processEvents();
        // 終　了 or a close at that yield ends the submission before the upload.
        sent = !form.programEnding() && upload(form, localPath);
    }
    form.cmdDisConnect_Click();
    form.setStatusText(sent ? doneText : failedText);
    return sent;
}

} // namespace

bool Form1::SendVerificData()
{
    return sendSingleFile(*this, SubmissionPaths::archivePath(ProgramFolder::path()),
                          SubmissionText::kVerificDone, SubmissionText::kVerificFailed);
}

bool Form1::SendPassData()
{
    return sendSingleFile(*this, SubmissionPaths::passDataPath(ProgramFolder::path()),
                          SubmissionText::kPassDone, SubmissionText::kPassFailed);
}
