#include "sendora/submission/UnlhaArchiver.h"

#include "platform/lha/binding/UnlhaBinding.h"

#include <QFile>

namespace UnlhaArchiver {

VerificationArchiver::Command command()
{
    return [](const QString& commandLine, QByteArray& output) {
        if (output.size() < VerificationArchiver::kOutputSize)
            output.resize(VerificationArchiver::kOutputSize, '\0');
        // The command line holds local paths: the file system's encoding.
        return UnlhaBinding::unlha(nullptr, QFile::encodeName(commandLine), output.data(),
                                   static_cast<unsigned long>(output.size()));
    };
}

} // namespace UnlhaArchiver
