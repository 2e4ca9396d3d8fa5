#pragma once

#include <QString>

// Keeps the installed product program aside while its update downloads, so
// that a failed or abandoned update leaves the product as it was. The copy
// aside sits next to the program under a name of its own.
class ProductAside
{
public:
    explicit ProductAside(const QString& productPath);

    QString asidePath() const { return asidePath_; }
    bool hasAside() const;

    // Moves the program aside; true also when there was none to move.
    bool moveAside();
    // Puts the program back, replacing whatever stands in its place.
    bool restore();
    // The update put a new program in place: the old one is no longer needed.
    bool discard();
    // After an interrupted run: back when the program is missing, dropped
    // when a complete update had already put a new program in place.
    void settleLeftover();

private:
    QString productPath_;
    QString asidePath_;
};
