#include "sendora/window/TagLineEdit.h"

#include <QKeyEvent>

void TagLineEdit::keyPressEvent(QKeyEvent* event)
{
    // Return and Enter are key code 13 to the handlers, whichever key sent it.
    const int code = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) ? 13 : event->key();
    emit KeyDown(code);
    QLineEdit::keyPressEvent(event);
}
