// One source for both updaters: each program is built with UPDATER_CONFIG
// naming the function that gives its configuration (see CMakeLists.txt).
#include "platform/ui/JapaneseUi.h"
#include "platform/dialogs/MessageBox.h"
#include "platform/shell/ProgramExit.h"
#include "platform/shell/ProgramFolder.h"
#include "platform/shell/ProgramFolderCheck.h"
#include "updater/app/Form1.h"
#include "updater/app/UpdaterConfig.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const UpdaterConfig config = UPDATER_CONFIG();
    QApplication::setApplicationName(config.programName);
    JapaneseUi::install(app);

    Form1 form(config);
    form.Form_Load();
    if (ProgramExit::endRequested())
        return 0;
    // Only a run that offers an update gets here: an up-to-date one has started the product.
    if (const QString problem = ProgramFolderCheck::problem(ProgramFolder::path()); !problem.isEmpty())
        MessageBox::show(nullptr, problem, QString::fromUtf16(ProgramFolderCheck::kTitle),
                         MessageBox::Icon::Exclamation);
    form.show();
    return app.exec();
}
