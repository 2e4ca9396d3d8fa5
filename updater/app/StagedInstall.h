#pragma once

#include <QString>
#include <QTemporaryDir>

// An update is extracted into a staging folder first and its files are moved
// into the product folder only when every member extracted. Until commit(),
// and after any failure, the product folder is exactly as it was; the staging
// folder goes when the object does. It lies inside the product folder, hidden:
// that folder is the one the updater may write to, and a move within one file
// system is a rename.
class StagedInstall
{
public:
    explicit StagedInstall(const QString& productFolder);

    // False when the staging folder cannot be made.
    bool isValid() const { return staging_.isValid(); }
    // Where the archive is to be extracted.
    QString folder() const;
    bool hasFile(const QString& fileName) const;
    // Moves every staged file over its namesake in the product folder. On any
    // failure what was moved is taken out again and the replaced files are put
    // back, and the result is false.
    bool commit();

    // Staging folders left behind by a run that was killed.
    static void removeLeftovers(const QString& productFolder);

private:
    struct Moved
    {
        QString name;
        bool replaced;
    };

    void rollBack(const QList<Moved>& moved) const;
    QString oldPath(const QString& name) const;

    QString productFolder_;
    QTemporaryDir staging_;
};
