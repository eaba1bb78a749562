#pragma once

#include <QPalette>
#include <QString>

// "light" and "dark" force Fusion with a light or dark palette; any other
// value gives the platform's own style and palette back, for open windows too.
void applyAppAppearance(const QString &value);

namespace Appearance {
QPalette lightPalette();
QPalette darkPalette();
// The style name in use before anything was forced.
QString platformStyleName();
} // namespace Appearance
