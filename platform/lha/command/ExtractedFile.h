#pragma once

#include <QFile>
#include <QString>

// A file being extracted: written under a hidden temporary name beside its
// destination and renamed over it only by commit(), so the destination never
// holds a partial file. Dropped without commit() the temporary file goes away.
// Unlike QSaveFile it does not force each file to disk before the rename:
// waiting on the disk once per member made extraction much slower, and LHA
// tools do not do it either.
class ExtractedFile
{
public:
    explicit ExtractedFile(QString path);
    ~ExtractedFile();
    ExtractedFile(const ExtractedFile&) = delete;
    ExtractedFile& operator=(const ExtractedFile&) = delete;

    // Creates the temporary file (with the destination's permissions when it
    // already exists). False when the folder is not writable.
    bool open();
    QIODevice* device() { return &temp_; }
    // Closes the temporary file and renames it over the destination.
    bool commit();

private:
    void discard();

    QString path_;
    QFile temp_;
    bool created_ = false;
    bool committed_ = false;
};
