#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

// A one-line question; nothing when the user cancels.
namespace InputBox {

struct Request
{
    QString prompt;
    QString title;
    QString defaultText;
};

std::optional<QString> ask(QWidget* parent, const QString& prompt, const QString& title,
                           const QString& defaultText = {});

void setHandler(std::function<std::optional<QString>(const Request&)> handler); // empty: real dialog

} // namespace InputBox
