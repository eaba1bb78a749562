#pragma once

#include <QString>
#include <QUuid>

#include <optional>

// One thing the quick-run palette can start: a folder (all its scripts), a
// script without presets, or one preset of a script.
struct QuickRunEntry
{
    QUuid id;
    bool isFolder = false;
    QString path;                  // display names from the top, joined by "/"
    std::optional<QString> preset; // the preset text of a preset entry
    QString text;                  // what is shown and matched: path, then two spaces and the preset
    QString folded;                // text case-folded once, for matching
};
