#pragma once

#include <QString>
#include <functional>

class QWidget;

// Modal message boxes with the program's title unless one is given.
namespace MessageBox {

enum class Icon { None, Information, Exclamation, Question, Critical };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

struct Request
{
    QString text;
    QString title;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
};

// title empty: the program's title (the executable's name).
Answer show(QWidget* parent, const QString& text, const QString& title = {}, Icon icon = Icon::None,
            Buttons buttons = Buttons::Ok);

// Tests answer boxes without showing them. The handler sees every request.
void setHandler(std::function<Answer(const Request&)> handler); // empty: real boxes

QString programTitle();

} // namespace MessageBox
