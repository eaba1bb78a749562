// The one table of commands. A command is a file of this folder that
// returns its row; the order here is the order of `orlenta --help`.
#include "cli/CommandRow.h"

CommandRow listCommand();
CommandRow runCommand();
CommandRow addCommand();
CommandRow importCommand();
CommandRow mkdirCommand();
CommandRow renameCommand();
CommandRow rmCommand();
CommandRow mvCommand();
CommandRow argsCommand();
CommandRow publishCommand();
CommandRow profileListCommand();
CommandRow profileSwitchCommand();
CommandRow profileOpenCommand();
CommandRow profileRemoveCommand();
CommandRow syncCommand();
CommandRow openCommand();
CommandRow paletteCommand();
CommandRow settingsCommand();

namespace CommandTable {

const QList<CommandRow> &rows()
{
    // clang-format off
    static const QList<CommandRow> table{
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

const CommandRow *find(const QString &words)
{
    for (const CommandRow &row : rows())
        if (row.words == words)
            return &row;
    return nullptr;
}

} // namespace CommandTable
