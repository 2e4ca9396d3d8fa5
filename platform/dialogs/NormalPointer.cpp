#include "platform/dialogs/NormalPointer.h"

#include <QCursor>
#include <QGuiApplication>

NormalPointer::NormalPointer()
{
    // A program without a GUI application (a test of logic alone) has no pointer to change.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) && QGuiApplication::overrideCursor()) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
        overridden_ = true;
    }
}

NormalPointer::~NormalPointer()
{
    if (overridden_)
        QGuiApplication::restoreOverrideCursor();
}
