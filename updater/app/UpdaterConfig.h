#pragma once

#include <QString>

// One column of the updaters' build configuration: what differs between
// PelmoraVer3Up and TessalyP3VerUp. The values come from the build (see
// UpdaterColumn.h.in); nothing here is read from the user.
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
    QString builtBaseUrl; // the vendor's folder URL chosen at build time

    bool hasNotice() const { return !noticePage.isEmpty(); }
    // The environment variable UPDATER_BASE_URL (staging servers, tests) wins over the built one.
    QString baseUrl() const;
    QString url(const QString& name) const;
    // The product's file name on this platform: without ".exe" outside Windows.
    QString productFileName() const;
    // A configured file name without the leading folder separator.
    static QString bareName(const QString& name);
};
