#pragma once

#include <QLineEdit>

// A text box with a Tag text beside its shown text and a KeyDown event that
// comes before the box handles the key.
class TagLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

    QString Tag;

signals:
    void KeyDown(int KeyCode);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
