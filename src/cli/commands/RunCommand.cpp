#include "cli/CommandContext.h"
#include "cli/CommandRow.h"
#include "cli/TextOutput.h"
#include "cli/commands/SharedOptions.h"
#include "run/RunController.h"

namespace {
const QString argOption = QStringLiteral("arg");
const QString presetOption = QStringLiteral("preset");

QString check(const Command &command)
{
    if (command.isSet(argOption) && command.isSet(presetOption))
        return QStringLiteral("--arg and --preset exclude each other");
    if (const std::optional<QString> preset = command.value(presetOption)) {
        bool ok = false;
        const int n = preset->toInt(&ok);
        if (!ok || n < 1)
            return QStringLiteral("--preset needs a number from 1 up, not \"%1\"").arg(*preset);
    }
    return QString();
}

void startRun(CommandContext &c, const ShellNode &node, const std::optional<QString> &arg)
{
    // Follows this run only, even when the menu starts another meanwhile.
    auto *watch = new QObject(c.owner);
    auto status = std::make_shared<int>(0);
    const std::shared_ptr<CommandReply> reply = c.reply;
    const quint64 id = c.runs.run(node, c.store, arg);
    QObject::connect(&c.runs, &RunController::runAppended, watch,
                     [id, reply](quint64 run, const QString &text) {
                         if (run == id)
                             reply->out(text);
                     });
    QObject::connect(&c.runs, &RunController::scriptHandedOver, watch,
                     [id, status](quint64 run, const QString &, int scriptStatus) {
                         if (run == id && scriptStatus != 0)
                             *status = scriptStatus;
                     });
    QObject::connect(&c.runs, &RunController::runFinished, watch,
                     [id, status, reply, watch](quint64 run) {
                         if (run != id)
                             return;
                         reply->finish(*status);
                         watch->deleteLater();
                     });
}

void runNode(CommandContext &c)
{
    const std::optional<ShellNode> node = c.findNode(c.command.operands[0]);
    if (!node)
        return;
    const QString name = TextOutput::quoted(c.command.operands[0]);
    if (node->collectScripts().isEmpty()) {
        c.reply->fail(QStringLiteral("nothing to run: the folder %1 holds no scripts").arg(name));
        return;
    }
    std::optional<QString> arg = c.command.value(argOption);
    if (const std::optional<QString> presetText = c.command.value(presetOption)) {
        const int preset = presetText->toInt();
        if (node->kind != NodeKind::script) {
            c.reply->fail(QStringLiteral("%1 is a folder; only a script has presets").arg(name));
            return;
        }
        const QStringList presets = node->argPresets();
        if (preset > presets.size()) {
            c.reply->fail(presets.isEmpty()
                              ? QStringLiteral("%1 has no presets").arg(name)
                              : QStringLiteral("%1 has %2 presets, there is no preset %3")
                                    .arg(name)
                                    .arg(presets.size())
                                    .arg(preset));
            return;
        }
        arg = presets[preset - 1];
    }
    startRun(c, *node, arg);
}
} // namespace

CommandRow runCommand()
{
    using SharedOptions::option;
    return {
        .words = QStringLiteral("run"),
        .description = QStringLiteral(
            "Hand a script, or every script of a folder, to the terminal as the menu does, "
            "printing the run log. Exits 0 when every hand-over succeeded, else with the last "
            "failing status."),
        .positionals = {{QStringLiteral("node"),
                         QStringLiteral("Path (Tools/deploy) or id of the node."),
                         QStringLiteral("<node>")}},
        .minimum = 1,
        .maximum = 1,
        .options = {option(argOption, QStringLiteral("Pass TEXT as the arguments."),
                           QStringLiteral("TEXT")),
                    option(presetOption,
                           QStringLiteral(
                               "Pass the script's preset number N (as `list` counts them)."),
                           QStringLiteral("N"))},
        .usesDocument = true,
        .check = check,
        .carryOut = runNode,
    };
}
