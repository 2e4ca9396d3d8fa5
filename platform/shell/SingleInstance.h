#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// Tells whether another instance of a program runs for this user. The lock is
// held for as long as this object lives; a lock left by a dead process is taken over.
class SingleInstance
{
public:
    explicit SingleInstance(const QString& programName);

    bool anotherInstanceRunning();

    // Tests point the locks at a folder of their own.
    static void setLockFolder(const QString& folder);

private:
    std::unique_ptr<QLockFile> lock_;
    bool acquired_ = false;
};
