#include "platform/dialogs/JapaneseUi.h"
#include "platform/shell/ProgramExit.h"
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
    window.show();
    return QApplication::exec();
}
