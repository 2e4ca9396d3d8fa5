#pragma once

#include <QRect>
#include <QString>
#include <QVariant>
#include <QWidget>

// Layouts are given in twips; a logical inch is 1440 twips.
namespace Twips {

int toPixels(double twips);
double fromPixels(int pixels);
QRect rect(double left, double top, double width, double height);
void place(QWidget* widget, double left, double top, double width, double height);

// The widget kit both windows build their controls with. A control carries its
// control name as objectName; element k of control array Name is the object
// "Name_k" with the dynamic property "index" = k.
template <typename W> W* named(W* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

template <typename W> W* element(W* widget, const QString& array, int index)
{
    widget->setObjectName(array + QLatin1Char('_') + QString::number(index));
    widget->setProperty("index", index);
    return widget;
}

// A new control of type W on parent, named and placed.
template <typename W>
W* make(QWidget* parent, const QString& name, double left, double top, double width, double height)
{
    auto* widget = named(new W(parent), name);
    place(widget, left, top, width, height);
    return widget;
}

} // namespace Twips
