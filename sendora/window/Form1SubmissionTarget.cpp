#include "sendora/window/Form1SubmissionTarget.h"

#include "sendora/session/clsFtpClient.h"
#include "sendora/window/BrowserText.h"
#include "sendora/window/ByteProgressBar.h"
#include "sendora/window/Form1.h"
#include "sendora/window/TagLineEdit.h"

#include <QCoreApplication>
#include <QFileInfo>

bool Form1SubmissionTarget::open()
{
    // A refused connection has told the user and ended the program.
    form_.cmdConnect_Click();
    return !form_.programEnding();
}

bool Form1SubmissionTarget::sendFile(const QString& localPath)
{
    Form1::CommandScope scope(form_);
    const QFileInfo file(localPath);
    if (!file.exists() || file.isDir() || !form_.mclsFTP)
        return false;
    form_.pbrState->setMaximum64(file.size());
    QCoreApplication::processEvents();
    // 終　了 or a close at that yield ends the submission before the upload.
    if (form_.programEnding())
        return false;

    form_.SetBusy(true);
    form_.mblnSending = true;
    form_.mclsFTP->setTransferType(form_.TransferTypeFromOptions());
    const bool sent = form_.mclsFTP->PutFile(localPath, BrowserText::GetFileName(localPath));
    form_.mblnSending = false;
    form_.pbrState->setValue64(0);
    form_.ChangeRemoteDir(form_.txtPath->Tag);
    form_.SetBusy(false);
    return sent;
}

void Form1SubmissionTarget::close()
{
    form_.cmdDisConnect_Click();
}

bool Form1SubmissionTarget::ending() const
{
    return form_.programEnding();
}
