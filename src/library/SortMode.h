#pragma once

#include <QString>
#include <optional>

enum class SortMode { custom, name };

QString toRaw(SortMode mode);
std::optional<SortMode> sortModeFromRaw(const QString &raw);
