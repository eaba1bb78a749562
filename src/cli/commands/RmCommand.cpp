#include "cli/CommandContext.h"
#include "cli/CommandRow.h"
#include "library/ShellStore.h"

namespace {
void removeNode(CommandContext &c)
{
    const std::optional<ShellNode> node = c.findNode(c.command.operands[0]);
    if (!node)
        return;
    c.store.deleteNode(node->id);
    c.reply->finishSaved();
}
} // namespace

CommandRow rmCommand()
{
    return {
        .words = QStringLiteral("rm"),
        .description = QStringLiteral(
            "Remove a node, with everything in it, from the library. The files stay on disk."),
        .positionals = {{QStringLiteral("node"), QStringLiteral("Path or id of the node."),
                         QStringLiteral("<node>")}},
        .minimum = 1,
        .maximum = 1,
        .usesDocument = true,
        .carryOut = removeNode,
    };
}
