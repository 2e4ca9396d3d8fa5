#pragma once

#include "platform/dialogs/FolderDialog.h"
#include "platform/dialogs/InputBox.h"
#include "platform/dialogs/MessageBox.h"

#include <QList>
#include <QQueue>
#include <optional>

// Answers every dialog from a queue and records what was asked. Installed for
// the lifetime of the object; an unexpected dialog gets a safe answer (OK, No,
// cancel) and is recorded, so a test can fail on it instead of hanging.
class ScriptedDialogs
{
public:
    ScriptedDialogs();
    ~ScriptedDialogs();
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    void answerMessage(MessageBox::Answer answer) { messageAnswers.enqueue(answer); }
    void answerInput(std::optional<QString> answer) { inputAnswers.enqueue(std::move(answer)); }
    void answerFolder(const QString& folder) { folderAnswers.enqueue(folder); }

    QList<MessageBox::Request> messages;
    // The pointer each message box would show: the program-wide one if set, else the arrow.
    QList<Qt::CursorShape> messagePointers;
    QList<InputBox::Request> inputs;
    QList<FolderDialog::Request> folders;

    QQueue<MessageBox::Answer> messageAnswers;
    QQueue<std::optional<QString>> inputAnswers;
    QQueue<QString> folderAnswers;
};
