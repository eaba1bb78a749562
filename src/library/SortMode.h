#pragma once

#include "settings/PreferenceKeys.h"

#include <QString>
#include <optional>

// SortMode itself is a stored value set of the preferences; its texts are
// those of fnkt_sortMode.
QString toRaw(SortMode mode);
std::optional<SortMode> sortModeFromRaw(const QString &raw);
