#pragma once

#include <QString>

class OutputText;

// Runs one archiver command line; the result code of the common archiver
// interface (0 for success).
namespace CommandRunner {

int run(const QString& line, OutputText& out);

} // namespace CommandRunner
