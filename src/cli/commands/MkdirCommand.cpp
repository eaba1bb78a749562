#include "cli/CommandContext.h"
#include "cli/CommandRow.h"
#include "cli/TextOutput.h"
#include "cli/commands/SharedOptions.h"
#include "library/ShellStore.h"

namespace {
void makeFolder(CommandContext &c)
{
    const std::optional<std::optional<QUuid>> parent =
        c.findParent(c.command.value(SharedOptions::toFolder));
    if (!parent)
        return;
    // A blank name is no name: the store then chooses one, as for an empty one.
    const QString name = ShellStore::blankTrimmed(c.command.operands.value(0)).isEmpty()
                             ? QString()
                             : c.command.operands.value(0);
    const QUuid id = c.store.addFolder(*parent, name);
    if (id.isNull()) {
        c.reply->refused();
        return;
    }
    c.reply->finishSaved(TextOutput::madeNode(c.store.roots(), id));
}
} // namespace

CommandRow mkdirCommand()
{
    return {
        .words = QStringLiteral("mkdir"),
        .description = QStringLiteral("Make a folder; without a name it is named after the time."),
        .positionals = {{QStringLiteral("name"), QStringLiteral("Name of the folder."),
                         QStringLiteral("[<name>]")}},
        .minimum = 0,
        .maximum = 1,
        .options = {SharedOptions::toFolderOption()},
        .usesDocument = true,
        .carryOut = makeFolder,
    };
}
