#pragma once

#include <QString>

// The connection a submission sends through: the window's FTP browser in the
// program, a recording double in tests. Each call blocks until it is done and
// shows its own messages, as the browser's buttons do.
class SubmissionTarget
{
public:
    virtual ~SubmissionTarget() = default;

    // Connects with the stored settings, as the 接続 button does. False when the
    // server refused or the program is ending.
    virtual bool open() = 0;

    // Puts one local file into the current remote folder and lists the folder
    // again afterwards. True when the server took the whole file.
    virtual bool sendFile(const QString& localPath) = 0;

    // Disconnects, as the 切断 button does.
    virtual void close() = 0;

    // The program is ending: the submission makes no further call and shows no
    // message.
    virtual bool ending() const = 0;
};
