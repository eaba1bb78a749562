#pragma once

#include <QString>

#include <optional>

// The texts built for one hand-over, from a script's path and argument text.
struct HandOverText
{
    QString directory;
    QString fileName;
    QString argumentText;
    QString commandLine;
    QString escapedCommand;
    QString doScriptLine;
    QString echoLine;

    static HandOverText build(const QString &filePath, const std::optional<QString> &argOverride);
};
