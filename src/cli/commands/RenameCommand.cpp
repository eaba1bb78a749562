#include "cli/CommandContext.h"
#include "cli/CommandRow.h"
#include "library/ShellStore.h"

namespace {
void renameNode(CommandContext &c)
{
    const std::optional<ShellNode> node = c.findNode(c.command.operands[0]);
    if (!node)
        return;
    const QString &name = c.command.operands[1];
    // The store would keep the old name silently; say so instead.
    if (node->kind == NodeKind::folder && ShellStore::blankTrimmed(name).isEmpty()) {
        c.reply->fail(QStringLiteral("a folder needs a name that is not blank"));
        return;
    }
    c.store.rename(node->id, name);
    c.reply->finishSaved();
}
} // namespace

CommandRow renameCommand()
{
    return {
        .words = QStringLiteral("rename"),
        .description = QStringLiteral("Rename a node. An empty name makes a script show its file "
                                      "name; a folder needs a name."),
        .positionals = {{QStringLiteral("node"), QStringLiteral("Path or id of the node."),
                         QStringLiteral("<node>")},
                        {QStringLiteral("name"), QStringLiteral("The new name."),
                         QStringLiteral("<name>")}},
        .minimum = 2,
        .maximum = 2,
        .usesDocument = true,
        .carryOut = renameNode,
    };
}
