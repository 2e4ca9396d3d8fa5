#include "updater/app/UpdaterConfig.h"

UpdaterConfig tessalyConfig()
{
    UpdaterConfig config;
    config.programName = QStringLiteral("TessalyP3VerUp");
    config.caption = QStringLiteral("Tessaly(3号）VerUp Ver 1.00");
    config.versionKey = QStringLiteral("TessalyP3Ver");
    config.defaultVersion = QStringLiteral("000");
    config.versionPage = QStringLiteral("Tessaly3.html");
    config.noticePage = QString();
    config.archiveUrlName = QStringLiteral("TessalyP3UP.lzh");
    config.localArchiveName = QStringLiteral("\\TessalyP3UP.lzh");
    config.productProgram = QStringLiteral("\\TessalyP3.exe");
    config.showBeforeCheck = true;
    config.productAsideDuringDownload = true;
    config.clientWidth = 7080;
    config.clientHeight = 4380;
    config.buttonTop = 3840;
    // Outside the client area: this updater shows no notice.
    config.noticeFrameLeft = 7560;
    config.noticeFrameTop = 4440;
    return config;
}
