#pragma once

#include <QUuid>

#include <optional>

// The three drop highlights of the sidebar; at most one is set at a time.
struct SidebarHighlight
{
    std::optional<QUuid> folderTargeted;  // folder row filled and outlined
    std::optional<QUuid> siblingTargeted; // insertion line above this row (custom order only)
    bool rootTargeted = false;            // the whole sidebar outlined

    bool operator==(const SidebarHighlight &other) const = default;
};
