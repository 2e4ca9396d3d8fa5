#include "updater/app/ProductAside.h"

#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

ProductAside::ProductAside(const QString& productPath)
    : productPath_(productPath), asidePath_(productPath + QStringLiteral(".verup-aside"))
{
}

bool ProductAside::hasAside() const
{
    return QFileInfo(asidePath_).isFile();
}

bool ProductAside::moveAside()
{
    if (!QFileInfo(productPath_).isFile())
        return true;
    if (hasAside() && !QFile::remove(asidePath_))
        return false;
    return QFile::rename(productPath_, asidePath_);
}

bool ProductAside::restore()
{
    if (!hasAside())
        return true;
    // One rename that replaces the target, so the product is never half there.
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(asidePath_).toStdString(),
                            QFile::encodeName(productPath_).toStdString(), error);
    return !error;
}

bool ProductAside::discard()
{
    return !hasAside() || QFile::remove(asidePath_);
}

void ProductAside::settleLeftover()
{
    if (!hasAside())
        return;
    if (QFileInfo(productPath_).isFile())
        discard();
    else
        restore();
}
