#pragma once

#include <QWidget>

class QLabel;

// The busy window: a small window on top that says a transfer is running.
// The caller shows it with mShow and closes it by destroying it.
class Form2 : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kSending = 0;
    static constexpr int kReceiving = 1;

    Form2();

    // Centres the window over frmMain, sets the text for the kind (other kinds
    // keep the previous text), shows it and lets it be drawn once.
    void mShow(int enmType, QWidget* frmMain);

    // Left (or top) of a window of size own centred over one at main with size mainSize.
    static int centredOrigin(int main, int mainSize, int own);

    QLabel* Label1 = nullptr;
};
