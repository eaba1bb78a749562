#include "cli/CommandContext.h"
#include "cli/CommandRow.h"
#include "library/ShellStore.h"

namespace {
QString check(const Command &command)
{
    const QString &state = command.operands[0];
    if (state != QStringLiteral("on") && state != QStringLiteral("off"))
        return QStringLiteral("say on or off, not \"%1\"").arg(state);
    return QString();
}

void setSync(CommandContext &c)
{
    c.store.setSyncFromiCloud(c.command.operands[0] == QStringLiteral("on"));
    c.reply->finishSaved();
}
} // namespace

CommandRow syncCommand()
{
    return {
        .words = QStringLiteral("sync"),
        .description = QStringLiteral(
            "Turn cloud synchronisation on (switch to the cloud document, copying the current "
            "one there the first time) or off."),
        .positionals = {{QStringLiteral("state"), QStringLiteral("on or off."),
                         QStringLiteral("on|off")}},
        .minimum = 1,
        .maximum = 1,
        .check = check,
        .carryOut = setSync,
    };
}
