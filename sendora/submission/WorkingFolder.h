#pragma once

#include <QString>

// The program's working folder "Temp", where the verification files are
// gathered and packed.
class WorkingFolder
{
public:
    explicit WorkingFolder(const QString& programFolder);

    QString path() const { return path_; }
    QString archivePath() const { return archivePath_; }
    QString filePath(const QString& name) const;

    bool ensureExists() const;
    // Deletes the plain files whose names match pattern (e.g. "*.data");
    // folders and other files stay. The number deleted.
    int removeMatching(const QString& pattern) const;
    // Copies source into the folder as copyName, replacing an earlier copy
    // only once the new one is complete.
    bool copyInto(const QString& source, const QString& copyName) const;

private:
    QString path_;
    QString archivePath_;
};
