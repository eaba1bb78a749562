#pragma once

#include "library/ShellNode.h"

// The content of a script document.
struct Persisted
{
    QList<ShellNode> roots;
    bool isPublished = false;

    bool operator==(const Persisted &other) const = default;
};
