#include "cli/CommandContext.h"
#include "cli/CommandRow.h"
#include "cli/TextOutput.h"
#include "library/ShellStore.h"

namespace {
void setPresets(CommandContext &c)
{
    const std::optional<ShellNode> node = c.findNode(c.command.operands[0]);
    if (!node)
        return;
    if (node->kind != NodeKind::script) {
        c.reply->fail(QStringLiteral("%1 is a folder; presets belong to scripts")
                          .arg(TextOutput::quoted(c.command.operands[0])));
        return;
    }
    c.store.setArgs(node->id, c.command.operands.mid(1));
    c.reply->finishSaved();
}
} // namespace

CommandRow argsCommand()
{
    return {
        .words = QStringLiteral("args"),
        .description = QStringLiteral("Replace the argument presets of a script; none clears "
                                      "them. Everything after the node is taken as a preset."),
        .positionals = {{QStringLiteral("node"), QStringLiteral("Path or id of the script."),
                         QStringLiteral("<node>")},
                        {QStringLiteral("text"), QStringLiteral("The presets, in order."),
                         QStringLiteral("[<text>...]")}},
        .minimum = 1,
        .maximum = -1,
        .operandsAfterFirst = true,
        .usesDocument = true,
        .carryOut = setPresets,
    };
}
