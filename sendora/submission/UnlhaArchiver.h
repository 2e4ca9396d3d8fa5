#pragma once

#include "sendora/submission/VerificationArchiver.h"

// The archiver library's command entry for VerificationArchiver: bound at its
// first use, beside the program first. A missing library raises an error that
// VerificationArchiver turns into "no archive".
namespace UnlhaArchiver {

VerificationArchiver::Command command();

} // namespace UnlhaArchiver
