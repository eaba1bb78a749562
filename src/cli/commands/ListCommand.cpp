#include "cli/CommandContext.h"
#include "cli/CommandRow.h"
#include "cli/JsonOutput.h"
#include "cli/NodePath.h"
#include "cli/TextOutput.h"
#include "cli/commands/SharedOptions.h"
#include "library/ShellStore.h"

#include <QFileInfo>

namespace {
void listNodes(CommandContext &c)
{
    // An empty listing would look like an empty library to whoever reads it.
    // A folder or a pipe in the document's place is not read at all.
    const QString path = c.store.currentDocumentPath();
    std::optional<QString> unreadable = c.store.lastLoadError();
    if (!unreadable && QFileInfo::exists(path) && !QFileInfo(path).isFile())
        unreadable = QStringLiteral("not a regular file");
    if (unreadable) {
        c.reply->err(QStringLiteral("orlenta: cannot read %1: %2\n").arg(path, *unreadable));
        c.reply->finish(1);
        return;
    }
    const QHash<QUuid, QString> shortIds = NodePath::uniquePrefixes(c.store.roots());
    c.reply->out(c.command.isSet(SharedOptions::json)
                     ? JsonOutput::listing(c.store, shortIds)
                     : TextOutput::listing(c.store.displayRoots(), shortIds));
    c.reply->finish(0);
}
} // namespace

CommandRow listCommand()
{
    return {
        .words = QStringLiteral("list"),
        .description = QStringLiteral(
            "Print the tree of the current document in display order, one line per node: path, "
            "kind, id, file, presets (tab-separated)."),
        .options = {SharedOptions::jsonOption()},
        .usesDocument = true,
        .carryOut = listNodes,
    };
}
