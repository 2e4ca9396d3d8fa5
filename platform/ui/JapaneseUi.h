#pragma once

class QApplication;

// Makes the MS font names of our layouts resolve to the installed Japanese
// fonts and lets the standard dialog buttons speak Japanese (はい, いいえ).
namespace JapaneseUi {

void install(QApplication& app);

} // namespace JapaneseUi
