// The one table of commands. A command is a file of this folder that
// returns its row; the order here is the order of `orlenta --help`.
#include "cli/CommandSpec.h"

CommandSpec listCommand();
CommandSpec runCommand();
CommandSpec addCommand();
CommandSpec importCommand();
CommandSpec mkdirCommand();
CommandSpec renameCommand();
CommandSpec rmCommand();
CommandSpec mvCommand();
CommandSpec argsCommand();
CommandSpec publishCommand();
CommandSpec profileListCommand();
CommandSpec profileSwitchCommand();
CommandSpec profileOpenCommand();
CommandSpec profileRemoveCommand();
CommandSpec syncCommand();
CommandSpec openCommand();
CommandSpec paletteCommand();
CommandSpec settingsCommand();

namespace CommandTable {

const QList<CommandSpec> &rows()
{
    // clang-format off
    static const QList<CommandSpec> table{
        listCommand(),
        runCommand(),
        addCommand(),
        importCommand(),
        mkdirCommand(),
        renameCommand(),
        rmCommand(),
        mvCommand(),
        argsCommand(),
        publishCommand(),
        profileListCommand(),
        profileSwitchCommand(),
        profileOpenCommand(),
        profileRemoveCommand(),
        syncCommand(),
        openCommand(),
        paletteCommand(),
        settingsCommand(),
    };
    // clang-format on
    return table;
}

const CommandSpec *find(const QString &words)
{
    for (const CommandSpec &spec : rows())
        if (spec.words == words)
            return &spec;
    return nullptr;
}

} // namespace CommandTable
