#pragma once

#include <QString>

// Keeps tests away from the user's own settings and locks: call first in a
// test's initTestCase (or use SENDORA_TEST_MAIN).
namespace TestEnvironment {

void isolate();

// This run's own folder, removed when the test ends: settings and locks live below it.
QString folder();

// Folder of the test binaries, where the programs and the archiver library are built.
QString binaryFolder();

// The Python interpreter that has Debian's packages (pyftpdlib).
QString systemPython();

} // namespace TestEnvironment
