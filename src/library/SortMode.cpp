#include "library/SortMode.h"

QString toRaw(SortMode mode)
{
    return PreferenceKeys::sortMode.toRaw(mode);
}

std::optional<SortMode> sortModeFromRaw(const QString &raw)
{
    return PreferenceKeys::sortMode.fromRaw(raw);
}
