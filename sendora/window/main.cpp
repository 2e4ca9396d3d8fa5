#include "platform/ui/JapaneseUi.h"
#include "platform/dialogs/MessageBox.h"
#include "platform/shell/ProgramExit.h"
#include "platform/shell/ProgramFolder.h"
#include "platform/shell/ProgramFolderCheck.h"
#include "sendora/window/Form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sendora"));
    JapaneseUi::install(app);

    Form1 window;
    if (ProgramExit::endRequested())
        return 0;
    if (const QString problem = ProgramFolderCheck::problem(ProgramFolder::path()); !problem.isEmpty())
        MessageBox::show(nullptr, problem, QString::fromUtf16(ProgramFolderCheck::kTitle),
                         MessageBox::Icon::Exclamation);
    window.show();
    return QApplication::exec();
}
