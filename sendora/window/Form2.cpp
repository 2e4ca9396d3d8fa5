#include "sendora/window/Form2.h"

#include "platform/ui/Twips.h"

#include <QApplication>
#include <QLabel>

Form2::Form2()
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("処理中"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(Twips::toPixels(3120), Twips::toPixels(780));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont font(QStringLiteral("ＭＳ Ｐ明朝"));
    font.setPointSizeF(9.75);
    font.setWeight(QFont::Normal);
    Label1->setFont(font);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Twips::place(Label1, 420, 180, 2385, 600);
}

int Form2::centredOrigin(int main, int mainSize, int own)
{
    return main + (mainSize - own) / 2;
}

void Form2::mShow(int enmType, QWidget* frmMain)
{
    if (frmMain) {
        // A window of its own, not a child of the main window: the main window's
        // busy state disables it, and the text must not turn grey.
        const QRect main = frmMain->frameGeometry();
        const QRect own = frameGeometry();
        move(centredOrigin(main.left(), main.width(), own.width()),
             centredOrigin(main.top(), main.height(), own.height()));
    }
    if (enmType == kSending)
        Label1->setText(QStringLiteral("送信中です。\nしばらくお待ち下さい..."));
    else if (enmType == kReceiving)
        Label1->setText(QStringLiteral("受信中です。\nしばらくお待ち下さい..."));
    show();
    QApplication::processEvents();
}
