#pragma once

#include <QString>

// What differs between the two updaters built from these sources. Each program
// links the definition of its own (PelmoraConfig.cpp, TessalyConfig.cpp);
// nothing here is read from the user.
struct UpdaterConfig
{
    QString programName; // the executable's name, also the message boxes' title
    QString caption;
    QString versionKey; // settings key holding the installed version
    QString defaultVersion;
    QString versionPage;
    QString noticePage; // empty: no notice retrieval
    QString archiveUrlName;
    QString localArchiveName;
    QString productProgram; // as the vendor names it, with ".exe"
    bool showBeforeCheck = false;
    bool productAsideDuringDownload = false;
    int clientWidth = 0; // twips
    int clientHeight = 0;
    int buttonTop = 0;
    int noticeFrameLeft = 0;
    int noticeFrameTop = 0;

    bool hasNotice() const { return !noticePage.isEmpty(); }
    // The vendor's folder URL chosen at build time (UPDATER_BASE_URL); the
    // environment variable of that name (staging servers, tests) wins over it.
    static QString baseUrl();
    static QString url(const QString& name);
    // The product's file name on this platform: without ".exe" outside Windows.
    QString productFileName() const;
    // A configured file name without the leading folder separator.
    static QString bareName(const QString& name);
};

UpdaterConfig pelmoraConfig(); // PelmoraVer3Up
UpdaterConfig tessalyConfig(); // TessalyP3VerUp
