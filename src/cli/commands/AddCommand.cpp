#include "cli/CommandContext.h"
#include "cli/CommandRow.h"
#include "cli/TextOutput.h"
#include "cli/commands/SharedOptions.h"
#include "library/ShellStore.h"
#include "platform/RegularFile.h"

#include <QFile>
#include <QFileInfo>

namespace {
// A file a terminal can start as a script: by the name the library takes
// for one, or by the interpreter line a script without one carries.
bool looksLikeScript(const QString &path)
{
    if (ShellStore::isScriptFileName(path))
        return true;
    QFile file;
    return RegularFile::open(file, path) && file.read(2) == "#!";
}

// Why the file cannot be added; nothing when it can.
QString refusal(const QString &file, const QString &path)
{
    const QString name = TextOutput::quoted(file);
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("no file %1").arg(name);
    if (info.isDir())
        return QStringLiteral("%1 is a directory; add it with orlenta import").arg(name);
    if (!info.isFile())
        return QStringLiteral("%1 is not a regular file").arg(name);
    if (!looksLikeScript(path))
        return QStringLiteral("%1 is not a script (a .sh or .command file, or one starting "
                              "with #!)")
            .arg(name);
    return QString();
}

void addScripts(CommandContext &c)
{
    QStringList paths;
    for (const QString &file : c.command.operands) {
        const QString path = c.absolutePath(file);
        if (const QString why = refusal(file, path); !why.isEmpty()) {
            c.reply->fail(why);
            return;
        }
        paths.append(path);
    }
    const std::optional<std::optional<QUuid>> parent =
        c.findParent(c.command.value(SharedOptions::toFolder));
    if (!parent)
        return;
    QString text;
    for (const QString &path : paths) {
        const QUuid id = c.store.addScript(*parent, path);
        if (id.isNull()) {
            c.reply->out(text);
            c.reply->refused();
            return;
        }
        text += TextOutput::madeNode(c.store.roots(), id);
    }
    c.reply->finishSaved(text);
}
} // namespace

CommandRow addCommand()
{
    return {
        .words = QStringLiteral("add"),
        .description = QStringLiteral("Add script files (.sh, .command, or starting with #!)."),
        .positionals = {{QStringLiteral("file"), QStringLiteral("Script files to add."),
                         QStringLiteral("<file>...")}},
        .minimum = 1,
        .maximum = -1,
        .options = {SharedOptions::toFolderOption()},
        .usesDocument = true,
        .carryOut = addScripts,
    };
}
