#pragma once

#include <QString>
#include <functional>

// Starts another program with a normal, focused window and does not wait for it.
namespace ProgramLauncher {

struct Request
{
    QString program;
    QString workingFolder;
};

// True when the program was started.
bool start(const Request& request);

// Tests record the requests instead of starting anything.
void setHandler(std::function<bool(const Request&)> handler); // empty: start for real

} // namespace ProgramLauncher
