// One source for both updaters: the build chooses the column (UPDATER_COLUMN_HEADER).
#include UPDATER_COLUMN_HEADER

#include "platform/dialogs/JapaneseUi.h"
#include "platform/shell/ProgramExit.h"
#include "updater/app/Form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const UpdaterConfig config = UPDATER_COLUMN::column();
    QApplication::setApplicationName(config.programName);
    JapaneseUi::install(app);

    Form1 form(config);
    form.Form_Load();
    if (ProgramExit::endRequested())
        return 0;
    form.show();
    return app.exec();
}
