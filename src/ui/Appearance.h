#pragma once

#include "settings/PreferenceKeys.h"

#include <QPalette>
#include <QString>

// light and dark force Fusion with a light or dark palette; system follows
// the desktop's colour scheme where it is known (see
// Appearance::setSystemColorScheme), else gives the platform's own style and
// palette back, for open windows too.
void applyAppAppearance(AppearanceMode mode);

// The desktop's light or dark preference (the settings portal's values).
enum class ColorScheme { noPreference = 0, dark = 1, light = 2 };

namespace Appearance {
// Followed while the appearance is AppearanceMode::system. A desktop that prefers
// the tone the platform's palette already has keeps the platform look.
void setSystemColorScheme(ColorScheme scheme);
ColorScheme systemColorScheme();
// Whether windows are shown dark now.
bool isDark();
QPalette lightPalette();
QPalette darkPalette();
// The style name in use before anything was forced.
QString platformStyleName();
} // namespace Appearance
