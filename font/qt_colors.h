#pragma once
// Colour values (platform/colors.h) as Qt's colours: a system colour is taken from the
// application's palette.
#include "platform/colors.h"

#include <QColor>

namespace lumira {

QColor ColorValueToQColor(ColorValue value);
ColorValue QColorToColorValue(const QColor& color);

} // namespace lumira
