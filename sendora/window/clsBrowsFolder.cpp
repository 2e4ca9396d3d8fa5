#include "sendora/window/clsBrowsFolder.h"

#include "platform/dialogs/FolderDialog.h"

#include <QDir>
#include <QFileInfo>

bool clsBrowsFolder::mShowDialog()
{
    FolderDialog::Request request;
    request.title = title_;
    // An empty root is the user's home folder, where the desktop lives.
    if (useDir_)
        request.rootFolder = useInitDir_;

    pathName_.clear();
    displayName_.clear();
    const QString chosen = FolderDialog::pick(target_, request);
    if (!chosen.isEmpty()) {
        pathName_ = QDir::toNativeSeparators(chosen);
        const QString name = QFileInfo(QDir::cleanPath(chosen)).fileName();
        displayName_ = name.isEmpty() ? pathName_ : name;
    }
    return !pathName_.isEmpty() || !displayName_.isEmpty();
}
