#include "platform/shell/ProgramExit.h"

#include <cstdio>
#include <cstdlib>

namespace {
std::function<void(int)>& handler()
{
    static std::function<void(int)> fn;
    return fn;
}
bool& requested()
{
    static bool flag = false;
    return flag;
}
} // namespace

namespace ProgramExit {

void endNow(int exitCode)
{
    requested() = true;
    if (handler()) {
        handler()(exitCode);
        return;
    }
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

void setHandler(std::function<void(int)> fn)
{
    handler() = std::move(fn);
}

bool endRequested()
{
    return requested();
}

void resetForTest()
{
    requested() = false;
}

} // namespace ProgramExit
