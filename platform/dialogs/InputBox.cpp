#include "platform/dialogs/InputBox.h"

#include "platform/dialogs/NormalPointer.h"

#include <QInputDialog>

namespace {
std::function<std::optional<QString>(const InputBox::Request&)>& handler()
{
    static std::function<std::optional<QString>(const InputBox::Request&)> fn;
    return fn;
}
} // namespace

namespace InputBox {

std::optional<QString> ask(QWidget* parent, const QString& prompt, const QString& title,
                           const QString& defaultText)
{
    const NormalPointer pointer;
    if (handler())
        return handler()(Request{prompt, title, defaultText});
    bool ok = false;
    const QString text = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

void setHandler(std::function<std::optional<QString>(const Request&)> fn)
{
    handler() = std::move(fn);
}

} // namespace InputBox
