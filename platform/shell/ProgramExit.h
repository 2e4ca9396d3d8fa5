#pragma once

#include <functional>

// Ends the own program at once: no window is unloaded, nothing is saved.
// Callers return right after calling it, because under test the handler
// only records the request and control comes back.
namespace ProgramExit {

void endNow(int exitCode = 0);
void setHandler(std::function<void(int)> handler); // empty: end the process
bool endRequested();                              // set by endNow, for the code that returns afterwards
void resetForTest();

} // namespace ProgramExit
