#include "tests/support/common/ScriptedDialogs.h"

#include <QApplication>

ScriptedDialogs::ScriptedDialogs()
{
    MessageBox::setHandler([this](const MessageBox::Request& request) {
        messages.append(request);
        const QCursor* pointer = QApplication::overrideCursor();
        messagePointers.append(pointer ? pointer->shape() : Qt::ArrowCursor);
        if (!messageAnswers.isEmpty())
            return messageAnswers.dequeue();
        return request.buttons == MessageBox::Buttons::YesNo ? MessageBox::Answer::No : MessageBox::Answer::Ok;
    });
    InputBox::setHandler([this](const InputBox::Request& request) -> std::optional<QString> {
        inputs.append(request);
        if (!inputAnswers.isEmpty())
            return inputAnswers.dequeue();
        return std::nullopt;
    });
    FolderDialog::setHandler([this](const FolderDialog::Request& request) {
        folders.append(request);
        if (!folderAnswers.isEmpty())
            return folderAnswers.dequeue();
        return QString();
    });
}

ScriptedDialogs::~ScriptedDialogs()
{
    MessageBox::setHandler({});
    InputBox::setHandler({});
    FolderDialog::setHandler({});
}
