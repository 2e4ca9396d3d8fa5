#pragma once

#include <QString>
#include <functional>

class QWidget;

// Asks for an existing local folder. An empty text means the user cancelled.
namespace FolderDialog {

struct Request
{
    QString title;
    QString rootFolder; // start (and root) of the choice; empty: the user's home folder
};

QString pick(QWidget* parent, const Request& request);

void setHandler(std::function<QString(const Request&)> handler); // empty: real dialog

} // namespace FolderDialog
