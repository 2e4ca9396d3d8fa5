#include "platform/ui/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace {
double logicalDpi()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->logicalDotsPerInch();
    return 96.0;
}
} // namespace

namespace Twips {

int toPixels(double twips)
{
    return static_cast<int>(std::lround(twips * logicalDpi() / 1440.0));
}

double fromPixels(int pixels)
{
    return pixels * 1440.0 / logicalDpi();
}

QRect rect(double left, double top, double width, double height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

void place(QWidget* widget, double left, double top, double width, double height)
{
    widget->setGeometry(rect(left, top, width, height));
}

} // namespace Twips
