#pragma once

#include <QColor>
#include <QIcon>
#include <QMap>
#include <QPixmap>
#include <QSize>
#include <QStringList>

// Keyed row pictures of the list view; the mask colour of an added picture is
// drawn as transparent.
class ImageList
{
public:
    void Clear();
    void setImageSize(const QSize& size) { size_ = size; }
    QSize imageSize() const { return size_; }

    QColor BackColor;
    QColor MaskColor{0xff, 0x00, 0xff};

    void Add(const QString& key, const QPixmap& picture);
    QIcon icon(const QString& key) const { return icons_.value(key); }
    QStringList keys() const { return order_; }

private:
    QSize size_{16, 16};
    QMap<QString, QIcon> icons_;
    QStringList order_;
};
