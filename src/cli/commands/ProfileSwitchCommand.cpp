#include "cli/CommandContext.h"
#include "cli/CommandRow.h"
#include "cli/ProfileMatch.h"
#include "cli/TextOutput.h"
#include "library/ShellStore.h"

namespace {
void switchProfile(CommandContext &c)
{
    const ProfileMatch match = ProfileMatch::find(
        c.store.profiles() + c.store.unreachableProfiles(), c.command.operands[0]);
    if (!match.profile) {
        c.reply->fail(match.error);
        return;
    }
    if (const std::optional<QString> folder = ProfileRegistry::missingFolder(*match.profile)) {
        c.reply->notReachable(
            QStringLiteral("the profile %1").arg(TextOutput::quoted(match.profile->name)), *folder);
        return;
    }
    // As the profile menu does: the cloud document starts as a copy of the current one.
    std::optional<QString> source;
    if (match.profile->id == Profile::iCloudProfileID)
        source = c.store.currentProfile().path;
    c.store.switchTo(match.profile->id, source);
    c.reply->finishSaved();
}
} // namespace

CommandRow profileSwitchCommand()
{
    return {
        .words = QStringLiteral("profile switch"),
        .description = QStringLiteral("Make a profile current."),
        .positionals = {{QStringLiteral("profile"), QStringLiteral("Name or id of the profile."),
                         QStringLiteral("<profile>")}},
        .minimum = 1,
        .maximum = 1,
        .carryOut = switchProfile,
    };
}
