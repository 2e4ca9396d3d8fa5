#include "platform/dialogs/MessageBox.h"

#include "platform/dialogs/NormalPointer.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {
std::function<MessageBox::Answer(const MessageBox::Request&)>& handler()
{
    static std::function<MessageBox::Answer(const MessageBox::Request&)> fn;
    return fn;
}

QMessageBox::Icon toQt(MessageBox::Icon icon)
{
    switch (icon) {
    case MessageBox::Icon::Information:
        return QMessageBox::Information;
    case MessageBox::Icon::Exclamation:
        return QMessageBox::Warning;
    case MessageBox::Icon::Question:
        return QMessageBox::Question;
    case MessageBox::Icon::Critical:
        return QMessageBox::Critical;
    case MessageBox::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

namespace MessageBox {

QString programTitle()
{
    return QCoreApplication::applicationName();
}

Answer show(QWidget* parent, const QString& text, const QString& title, Icon icon, Buttons buttons)
{
    Request request{text, title.isEmpty() ? programTitle() : title, icon, buttons};
    const NormalPointer pointer;
    if (handler())
        return handler()(request);

    QMessageBox box(toQt(icon), request.title, text,
                    buttons == Buttons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    const int result = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void setHandler(std::function<Answer(const Request&)> fn)
{
    handler() = std::move(fn);
}

} // namespace MessageBox
