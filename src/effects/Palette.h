// Setting a colour in every colour group of a widget's palette, so a
// disabled or inactive widget keeps the design's colours instead of the
// style's greyed-out ones.
#pragma once

#include <QColor>
#include <QPalette>

#include <initializer_list>

class QWidget;

namespace zorbel
{

void setColour(QWidget* w, std::initializer_list<QPalette::ColorRole> roles, const QColor& c);

} // namespace zorbel
