#include "platform/lha/command/CommandRunner.h"

#include "platform/cpu/VectorState.h"
#include "platform/lha/command/ArchiveLister.h"
#include "platform/lha/command/ArchiveUpdater.h"
#include "platform/lha/command/CommandLine.h"
#include "platform/lha/command/Extractor.h"
#include "platform/lha/command/OutputText.h"
#include "platform/lha/command/unlha32.h"

namespace CommandRunner {

int run(const QString& line, OutputText& out)
{
    // A host that has loaded TLS certificates (an update over https) may call
    // with the wide vector registers left in use: the codecs' loops would run
    // slowed down throughout.
    clearWideVectorState();
    const CommandLine::ParseResult parsed = CommandLine::parse(line);
    if (!parsed.command) {
        out.line(parsed.message);
        return parsed.error;
    }
    const LhaCommand& command = *parsed.command;
    switch (command.command.unicode()) {
    case 'e':
    case 'x':
        return Extractor::run(command, out);
    case 'l':
    case 'v':
        return ArchiveLister::list(command, out);
    case 't':
        return ArchiveLister::test(command, out);
    case 'a':
    case 'u':
        return ArchiveUpdater::add(command, out);
    case 'd':
        return ArchiveUpdater::remove(command, out);
    default:
        out.line(QStringLiteral("Unknown command"));
        return ERROR_COMMAND_NAME;
    }
}

} // namespace CommandRunner
