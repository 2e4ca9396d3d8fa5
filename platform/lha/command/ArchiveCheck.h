#pragma once

#include <QString>

// UnlhaCheckArchive: mode 0 reads the first headers, 1 every header up to
// the archive's real end, 2 also decodes every member and checks its CRC.
namespace ArchiveCheck {

bool isSound(const QString& path, int mode);

} // namespace ArchiveCheck
