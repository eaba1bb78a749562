#include "cli/CommandContext.h"
#include "cli/CommandRow.h"
#include "cli/TextOutput.h"
#include "library/ScriptDocument.h"
#include "library/ShellStore.h"
#include "platform/RegularFile.h"

namespace {
void openProfile(CommandContext &c)
{
    const QString &file = c.command.operands[0];
    const QString path = c.absolutePath(file);
    QString why;
    const std::optional<QByteArray> bytes = RegularFile::readAll(path, &why);
    if (!bytes) {
        c.reply->fail(QStringLiteral("cannot read %1: %2").arg(TextOutput::quoted(file), why));
        return;
    }
    // Opening something else would show an empty tree and then save over it.
    const ScriptDocument::Decoded decoded = ScriptDocument::decode(*bytes);
    if (!decoded) {
        c.reply->fail(QStringLiteral("%1 is not a script document (%2)")
                          .arg(TextOutput::quoted(file), decoded.error));
        return;
    }
    c.store.addProfile(path, std::nullopt);
    c.reply->finishSaved();
}
} // namespace

CommandRow profileOpenCommand()
{
    return {
        .words = QStringLiteral("profile open"),
        .description = QStringLiteral("Open a script document as a profile and make it current."),
        .positionals = {{QStringLiteral("file"), QStringLiteral("The document."),
                         QStringLiteral("<file>")}},
        .minimum = 1,
        .maximum = 1,
        .carryOut = openProfile,
    };
}
