#include "cli/CommandContext.h"
#include "cli/CommandRow.h"
#include "cli/commands/SharedOptions.h"
#include "library/ShellStore.h"

namespace {
const QString offOption = QStringLiteral("off");

void setPublished(CommandContext &c)
{
    c.store.setPublished(!c.command.isSet(offOption));
    c.reply->finishSaved();
}
} // namespace

CommandRow publishCommand()
{
    return {
        .words = QStringLiteral("publish"),
        .description = QStringLiteral("Publish the current document: the tray menu shows the "
                                      "tree only for a published document."),
        .options = {SharedOptions::option(offOption, QStringLiteral("Withdraw it instead."))},
        .usesDocument = true,
        .carryOut = setPublished,
    };
}
