#include "cli/CommandContext.h"
#include "cli/CommandRow.h"
#include "cli/ProfileMatch.h"
#include "cli/TextOutput.h"
#include "cli/commands/SharedOptions.h"
#include "library/ShellStore.h"

namespace {
const QString deleteFileOption = QStringLiteral("delete-file");

void removeProfile(CommandContext &c)
{
    QList<Profile> known{c.store.localProfile(), c.store.iCloudProfile()};
    known.append(c.store.customProfiles());
    const ProfileMatch match = ProfileMatch::find(known, c.command.operands[0]);
    if (!match.profile) {
        c.reply->fail(match.error);
        return;
    }
    if (match.profile->id == Profile::localProfileID ||
        match.profile->id == Profile::iCloudProfileID) {
        c.reply->fail(QStringLiteral("the built-in profile %1 cannot be removed")
                          .arg(TextOutput::quoted(match.profile->name)));
        return;
    }
    c.store.removeProfile(match.profile->id, c.command.isSet(deleteFileOption));
    c.reply->finishSaved();
}
} // namespace

CommandRow profileRemoveCommand()
{
    return {
        .words = QStringLiteral("profile remove"),
        .description = QStringLiteral("Remove an opened profile (the built-in ones stay)."),
        .positionals = {{QStringLiteral("profile"), QStringLiteral("Name or id of the profile."),
                         QStringLiteral("<profile>")}},
        .minimum = 1,
        .maximum = 1,
        .options = {SharedOptions::option(deleteFileOption,
                                          QStringLiteral("Also delete its document file."))},
        .carryOut = removeProfile,
    };
}
