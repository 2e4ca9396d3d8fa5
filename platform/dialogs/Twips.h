#pragma once

#include <QRect>

class QWidget;

// Layouts are given in twips; a logical inch is 1440 twips.
namespace Twips {

int toPixels(double twips);
double fromPixels(int pixels);
QRect rect(double left, double top, double width, double height);
void place(QWidget* widget, double left, double top, double width, double height);

} // namespace Twips
