#include "library/SortMode.h"

QString toRaw(SortMode mode)
{
    return mode == SortMode::name ? QStringLiteral("name") : QStringLiteral("custom");
}

std::optional<SortMode> sortModeFromRaw(const QString &raw)
{
    if (raw == u"custom")
        return SortMode::custom;
    if (raw == u"name")
        return SortMode::name;
    return std::nullopt;
}
