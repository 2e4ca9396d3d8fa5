#include "platform/shell/ProgramFolderCheck.h"

#include <QDir>
#include <QTemporaryFile>

namespace ProgramFolderCheck {

QString problem(const QString& folder)
{
    // Creating a file is the only honest test: modes, ACLs, read-only mounts
    // and the administrator's rights all have their say.
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".write-check-XXXXXX")));
    if (probe.open())
        return {};
    return QStringLiteral("プログラムのフォルダに書き込めません。\n%1\n\n"
                          "このままでは検証データやPassデータの送信、アップデートができません。"
                          "書き込めるフォルダにインストールし直すか、"
                          "管理者にこのフォルダへの書き込み権限を依頼してください。")
        .arg(QDir::toNativeSeparators(folder));
}

} // namespace ProgramFolderCheck
