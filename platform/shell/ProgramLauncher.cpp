#include "platform/shell/ProgramLauncher.h"

#include <QProcess>

namespace {
std::function<bool(const ProgramLauncher::Request&)>& handler()
{
    static std::function<bool(const ProgramLauncher::Request&)> fn;
    return fn;
}
} // namespace

namespace ProgramLauncher {

bool start(const Request& request)
{
    if (handler())
        return handler()(request);
    return QProcess::startDetached(request.program, {}, request.workingFolder);
}

void setHandler(std::function<bool(const Request&)> fn)
{
    handler() = std::move(fn);
}

} // namespace ProgramLauncher
