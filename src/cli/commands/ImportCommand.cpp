#include "cli/CommandContext.h"
#include "cli/CommandRow.h"
#include "cli/TextOutput.h"
#include "cli/commands/SharedOptions.h"
#include "library/ShellStore.h"

#include <QFileInfo>

namespace {
void importDirectory(CommandContext &c)
{
    const QString &dir = c.command.operands[0];
    const QString path = c.absolutePath(dir);
    if (!QFileInfo(path).isDir()) {
        c.reply->fail(QFileInfo::exists(path)
                          ? QStringLiteral("%1 is not a directory; add a script with orlenta add")
                                .arg(TextOutput::quoted(dir))
                          : QStringLiteral("no directory %1").arg(TextOutput::quoted(dir)));
        return;
    }
    const std::optional<std::optional<QUuid>> parent =
        c.findParent(c.command.value(SharedOptions::toFolder));
    if (!parent)
        return;
    const QUuid id = c.store.importFolder(path, *parent);
    if (id.isNull()) {
        c.reply->refused();
        return;
    }
    c.reply->finishSaved(TextOutput::madeNode(c.store.roots(), id));
}
} // namespace

CommandRow importCommand()
{
    return {
        .words = QStringLiteral("import"),
        .description =
            QStringLiteral("Import a directory with its subdirectories and scripts as one folder."),
        .positionals = {{QStringLiteral("dir"), QStringLiteral("The directory."),
                         QStringLiteral("<dir>")}},
        .minimum = 1,
        .maximum = 1,
        .options = {SharedOptions::toFolderOption()},
        .usesDocument = true,
        .carryOut = importDirectory,
    };
}
