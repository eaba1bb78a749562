#include "cli/CommandContext.h"
#include "cli/CommandRow.h"
#include "cli/JsonOutput.h"
#include "cli/TextOutput.h"
#include "cli/commands/SharedOptions.h"
#include "library/ShellStore.h"

namespace {
void listProfiles(CommandContext &c)
{
    const QUuid current = c.store.currentProfile().id;
    c.reply->out(c.command.isSet(SharedOptions::json)
                     ? JsonOutput::profiles(c.store.profiles(), current)
                     : TextOutput::profiles(c.store.profiles(), current));
    c.reply->finish(0);
}
} // namespace

CommandRow profileListCommand()
{
    return {
        .words = QStringLiteral("profile list"),
        .description = QStringLiteral("List the profiles: id, name, document path, and "
                                      "\"current\" on the current one (tab-separated)."),
        .options = {SharedOptions::jsonOption()},
        .carryOut = listProfiles,
    };
}
