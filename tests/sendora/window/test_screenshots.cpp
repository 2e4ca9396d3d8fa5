// Writes pictures of Sendora's windows for review: the main window with the
// settings panel hidden and shown, the busy window and the list's popup menu.
#include "platform/ui/Twips.h"
#include "sendora/window/Form1.h"
#include "sendora/window/Form2.h"
#include "sendora/window/RemoteListView.h"
#include "tests/sendora/window/WindowFixture.h"

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <cstdio>

namespace {

bool save(QWidget* widget, const QString& folder, const QString& name)
{
    const QString path = folder + QLatin1Char('/') + name;
    const bool ok = widget->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    WindowFixture::initApplication();
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath() + "/screenshots";
    QDir().mkpath(folder);

    bool ok = true;
    WindowFixture fixture;
    Form1 form;
    form.ShowResponse(QStringLiteral("226 Transfer complete.\r\n"));
    form.show();
    QTest::qWait(50);
    ok &= save(&form, folder, QStringLiteral("main-window.png"));

    form.Check3[0]->setChecked(true);
    form.Frame2->move(Twips::toPixels(1440), form.Frame2->y());
    QTest::qWait(20);
    ok &= save(&form, folder, QStringLiteral("main-window-settings.png"));

    // The browser as it would look if it were in view.
    form.lvwList->setParent(nullptr);
    form.lvwList->resize(Twips::toPixels(6045), Twips::toPixels(3435));
    RemoteListRow* dir =
        form.lvwList->appendRow(QStringLiteral("public_html"), form.imlImage.icon("CLOSE"), "CLOSE");
    form.lvwList->setSubItem(dir, "ACCESS", "2009/02/18 13:45:30");
    form.lvwList->setSubItem(dir, "ATTR", "---w");
    RemoteListRow* file =
        form.lvwList->appendRow(QStringLiteral("検証データ.lzh"), form.imlImage.icon("FILE"), "FILE");
    form.lvwList->setSubItem(file, "SIZE", "12345");
    form.lvwList->setSubItem(file, "ACCESS", "2009/02/18");
    form.lvwList->setSubItem(file, "ATTR", "a--w");
    form.lvwList->selectOnly(file);
    form.lvwList->show();
    QTest::qWait(20);
    ok &= save(form.lvwList, folder, QStringLiteral("remote-list.png"));

    form.lvwList_MouseUp(Qt::RightButton, QPoint(20, 20));
    QTest::qWait(50);
    ok &= save(form.mnuPopUp, folder, QStringLiteral("popup-menu.png"));
    form.mnuPopUp->close();

    Form2 busy;
    busy.mShow(Form2::kSending, &form);
    QTest::qWait(20);
    ok &= save(&busy, folder, QStringLiteral("busy-window.png"));

    form.lvwList->setParent(&form);
    return ok ? 0 : 1;
}
