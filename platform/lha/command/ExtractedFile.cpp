#include "platform/lha/command/ExtractedFile.h"

#include <QFileInfo>
#include <QRandomGenerator>

#ifdef Q_OS_WIN
#include <filesystem>
#include <system_error>
#else
#include <cstdio>
#endif

namespace {

// Replaces an existing `to` in one step, unlike QFile::rename.
bool replace(const QString& from, const QString& to)
{
#ifdef Q_OS_WIN
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(from.toStdWString()),
                            std::filesystem::path(to.toStdWString()), error);
    return !error;
#else
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

} // namespace

ExtractedFile::ExtractedFile(QString path) : path_(std::move(path)) {}

ExtractedFile::~ExtractedFile()
{
    if (!committed_)
        discard();
}

bool ExtractedFile::open()
{
    const QFileInfo target(path_);
    // Not derived from the file name, which may already be as long as names get.
    const QString stem = target.absolutePath() + QStringLiteral("/.unlha-part-");
    constexpr int kAttempts = 16;
    for (int i = 0; i < kAttempts; ++i) {
        temp_.setFileName(stem + QString::number(QRandomGenerator::global()->generate(), 16));
        // NewOnly: never reuse or follow whatever already has the name.
        if (temp_.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            created_ = true;
            if (target.exists())
                temp_.setPermissions(target.permissions());
            return true;
        }
        if (temp_.error() != QFileDevice::OpenError || !QFileInfo::exists(temp_.fileName()))
            return false;
    }
    return false;
}

bool ExtractedFile::commit()
{
    if (!temp_.isOpen())
        return false;
    temp_.close();
    if (temp_.error() != QFileDevice::NoError) {
        discard();
        return false;
    }
    if (!replace(temp_.fileName(), path_)) {
        discard();
        return false;
    }
    committed_ = true;
    return true;
}

void ExtractedFile::discard()
{
    if (!created_)
        return;
    created_ = false;
    temp_.close();
    temp_.remove();
}
