#include "sendora/window/ImageList.h"

#include <QBitmap>

void ImageList::Clear()
{
    icons_.clear();
    order_.clear();
}

void ImageList::Add(const QString& key, const QPixmap& picture)
{
    QPixmap image = picture.scaled(size_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    image.setMask(image.createMaskFromColor(MaskColor, Qt::MaskInColor));
    icons_.insert(key, QIcon(image));
    order_.removeAll(key);
    order_.append(key);
}
