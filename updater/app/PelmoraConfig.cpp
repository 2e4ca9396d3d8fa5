#include "updater/app/UpdaterConfig.h"

UpdaterConfig pelmoraConfig()
{
    UpdaterConfig config;
    config.programName = QStringLiteral("PelmoraVer3Up");
    config.caption = QStringLiteral("Zarazedizi3Revudiv Ver 1.00");
    config.versionKey = QStringLiteral("Pelmora3VerKaku");
    config.defaultVersion = QStringLiteral("000");
    config.versionPage = QStringLiteral("Verpelmora3.html");
    config.noticePage = QStringLiteral("Pelmora3Osirase3.html");
    config.archiveUrlName = QStringLiteral("PelmoraUP3.lzh");
    config.localArchiveName = QStringLiteral("\\PelmoraUP3.lzh");
    config.productProgram = QStringLiteral("\\PelmoraVer3.exe");
    config.showBeforeCheck = false;
    config.productAsideDuringDownload = false;
    config.clientWidth = 7125;
    config.clientHeight = 7005;
    config.buttonTop = 6480;
    config.noticeFrameLeft = 240;
    config.noticeFrameTop = 3840;
    return config;
}
