#pragma once

#include <QRectF>
#include <QUuid>

#include <optional>

// One visible sidebar row as laid out, in sidebar coordinates (y downward).
struct RowFrame
{
    QUuid id;
    bool isFolder = false;
    std::optional<QUuid> parentID; // in the stored tree; none at the top level
    QRectF rect;

    bool operator==(const RowFrame &other) const = default;
};
