#pragma once

#include "cli/Command.h"

#include <QString>
#include <QStringList>

#include <optional>

struct ParsedCommandLine
{
    std::optional<Command> command;
    QString error; // one line, without the program name, when command is empty
};

// `orlenta <command> ...` read against the command table.
namespace CommandLine {
// arguments: without the program name.
ParsedCommandLine parse(const QStringList &arguments);
// The arguments of main() without the program name.
QStringList arguments(int argc, char **argv);
// The overview printed by `orlenta --help`.
QString overview();
// Whether carrying the command out needs the windows of the app.
bool needsWindows(const Command &command);
} // namespace CommandLine
