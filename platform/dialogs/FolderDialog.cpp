#include "platform/dialogs/FolderDialog.h"

#include "platform/dialogs/NormalPointer.h"

#include <QDir>
#include <QFileDialog>

namespace {
std::function<QString(const FolderDialog::Request&)>& handler()
{
    static std::function<QString(const FolderDialog::Request&)> fn;
    return fn;
}
} // namespace

namespace FolderDialog {

QString pick(QWidget* parent, const Request& request)
{
    const NormalPointer pointer;
    if (handler())
        return handler()(request);
    const QString start = request.rootFolder.isEmpty() ? QDir::homePath() : request.rootFolder;
    return QFileDialog::getExistingDirectory(parent, request.title, start, QFileDialog::ShowDirsOnly);
}

void setHandler(std::function<QString(const Request&)> fn)
{
    handler() = std::move(fn);
}

} // namespace FolderDialog
