#include "cli/CommandContext.h"
#include "cli/CommandRow.h"
#include "cli/TextOutput.h"
#include "cli/commands/SharedOptions.h"
#include "library/ShellStore.h"

namespace {
const QString intoOption = QStringLiteral("into");
const QString beforeOption = QStringLiteral("before");
const QString rootOption = QStringLiteral("root");

QString check(const Command &command)
{
    const int targets = int(command.isSet(intoOption)) + int(command.isSet(beforeOption)) +
                        int(command.isSet(rootOption));
    if (targets != 1)
        return QStringLiteral("say where to: one of --into, --before, --root");
    return QString();
}

void placeNode(CommandContext &c)
{
    const std::optional<ShellNode> node = c.findNode(c.command.operands[0]);
    if (!node)
        return;
    const QString name = TextOutput::quoted(c.command.operands[0]);
    std::optional<QUuid> parent;
    std::optional<QUuid> before;
    if (const std::optional<QString> into = c.command.value(intoOption)) {
        const std::optional<std::optional<QUuid>> folder = c.findParent(into);
        if (!folder)
            return;
        parent = *folder;
    } else if (const std::optional<QString> reference = c.command.value(beforeOption)) {
        const std::optional<ShellNode> sibling = c.findNode(*reference);
        if (!sibling)
            return;
        if (sibling->id == node->id) {
            c.reply->fail(QStringLiteral("cannot move %1 in front of itself").arg(name));
            return;
        }
        before = sibling->id;
        parent = Forest::parentID(c.store.roots(), sibling->id);
    }
    if (parent && (*parent == node->id || Forest::isWithin(c.store.roots(), *parent, node->id))) {
        c.reply->fail(
            QStringLiteral("cannot move %1 into itself or into a folder inside it").arg(name));
        return;
    }
    if (!c.store.moveNode(node->id, parent, before)) {
        c.reply->fail(
            c.store.lastEditError().value_or(QStringLiteral("cannot move %1 there").arg(name)));
        return;
    }
    c.reply->finishSaved();
}
} // namespace

CommandRow mvCommand()
{
    using SharedOptions::option;
    return {
        .words = QStringLiteral("mv"),
        .description = QStringLiteral("Move a node into a folder, in front of another node, or "
                                      "to the end of the top level."),
        .positionals = {{QStringLiteral("node"), QStringLiteral("Path or id of the node to move."),
                         QStringLiteral("<node>")}},
        .minimum = 1,
        .maximum = 1,
        .options = {option(intoOption, QStringLiteral("Make it the last node of FOLDER."),
                           QStringLiteral("FOLDER")),
                    option(beforeOption, QStringLiteral("Put it in front of NODE."),
                           QStringLiteral("NODE")),
                    option(rootOption, QStringLiteral("Make it the last top-level node."))},
        .usesDocument = true,
        .check = check,
        .carryOut = placeNode,
    };
}
