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
    const QList<Profile> unreachable = c.store.unreachableProfiles();
    const QList<Profile> all = c.store.profiles() + unreachable;
    c.reply->out(c.command.isSet(SharedOptions::json)
                     ? JsonOutput::profiles(all, current, unreachable)
                     : TextOutput::profiles(all, current, unreachable));
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
