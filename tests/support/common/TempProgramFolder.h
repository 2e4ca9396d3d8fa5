#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh program folder for one test: ProgramFolder::path() points at it while
// this object lives. Optionally with a blank in its name, as on many machines.
class TempProgramFolder
{
public:
    explicit TempProgramFolder(bool withBlank = false);
    ~TempProgramFolder();

    QString path() const { return path_; }
    QString filePath(const QString& name) const;
    bool isValid() const { return dir_.isValid(); }

private:
    QTemporaryDir dir_;
    QString path_;
};
