#pragma once

#include <QString>

// The product program in the updater's folder: whether it is there, whether
// it runs, and starting it with that folder as its working folder.
class ProductProgram
{
public:
    ProductProgram(const QString& folder, const QString& fileName);

    QString path() const { return path_; }
    // An ordinary file; hidden files do not count.
    bool exists() const;
    // A process of this user runs this very file (Linux: /proc/<pid>/exe).
    bool isRunning() const;

    enum class StartResult
    {
        Started,
        Missing,
        Failed
    };
    // Archives made on Windows carry no execute bit: the owner's is added first.
    StartResult start() const;

private:
    QString folder_;
    QString path_;
};
