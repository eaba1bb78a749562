#include "cli/CommandLine.h"

#include "cli/CommandRow.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {
const QString programName = QStringLiteral("orlenta");

QString usageOf(const CommandRow &row)
{
    QStringList parts{programName, row.words};
    if (!row.options.isEmpty())
        parts.append(QStringLiteral("[options]"));
    for (const CommandRow::Positional &p : row.positionals)
        parts.append(p.syntax);
    return parts.join(u' ');
}

void setUp(QCommandLineParser &parser, const CommandRow &row)
{
    parser.setApplicationDescription(row.description);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (row.operandsAfterFirst)
        parser.setOptionsAfterPositionalArgumentsMode(
            QCommandLineParser::ParseAsPositionalArguments);
    for (const CommandRow::Positional &p : row.positionals)
        parser.addPositionalArgument(p.name, p.description, p.syntax);
    for (const QCommandLineOption &o : row.options)
        parser.addOption(o);
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help.")));
}

QString helpOf(const CommandRow &row)
{
    QCommandLineParser parser;
    setUp(parser, row);
    // Qt's own usage line names the executable as it was started; ours names the command.
    QString text = parser.helpText();
    const int firstBreak = text.indexOf(u'\n');
    text.replace(0, firstBreak, QStringLiteral("Usage: ") + usageOf(row));
    return text;
}

ParsedCommandLine failure(const QString &line)
{
    return {std::nullopt, line};
}

Command helpCommand(const QString &text)
{
    Command c;
    c.kind = Command::Kind::help;
    c.text = text.endsWith(u'\n') ? text : text + u'\n';
    return c;
}

QString profileOverview()
{
    QString text = QStringLiteral("Usage: orlenta profile <subcommand> ...\n\n");
    for (const CommandRow &row : CommandTable::rows())
        if (row.words.startsWith(QStringLiteral("profile ")))
            text += QStringLiteral("  %1\n").arg(usageOf(row));
    return text + QStringLiteral("\nSee orlenta profile <subcommand> --help.\n");
}

ParsedCommandLine parseWith(const CommandRow &row, const QStringList &rest)
{
    QCommandLineParser parser;
    setUp(parser, row);
    const QString where = programName + u' ' + row.words;
    if (!parser.parse(QStringList{where} + rest))
        return failure(QStringLiteral("%1: %2").arg(row.words, parser.errorText()));
    if (parser.isSet(QStringLiteral("help")))
        return {helpCommand(helpOf(row)), {}};
    const QStringList operands = parser.positionalArguments();
    if (operands.size() < row.minimum)
        return failure(
            QStringLiteral("%1: missing %2 (usage: %3)")
                .arg(row.words, row.positionals.value(operands.size()).syntax, usageOf(row)));
    if (row.maximum >= 0 && operands.size() > row.maximum)
        return failure(QStringLiteral("%1: unexpected \"%2\" (usage: %3)")
                           .arg(row.words, operands.value(row.maximum), usageOf(row)));
    Command command;
    command.kind = Command::Kind::command;
    command.name = row.words;
    command.operands = operands;
    for (const QCommandLineOption &o : row.options)
        if (parser.isSet(o))
            command.options.insert(o.names().constFirst(), parser.value(o));
    if (row.check) {
        const QString error = row.check(command);
        if (!error.isEmpty())
            return failure(QStringLiteral("%1: %2").arg(row.words, error));
    }
    return {command, {}};
}
// Options of a plain start that the application object itself reads (the
// toolkit's display options, and the start-up measurement switch).
bool onlyStartOptions(const QStringList &arguments)
{
    static const QStringList withValue{
        QStringLiteral("-platform"), QStringLiteral("-platformtheme"), QStringLiteral("-plugin"),
        QStringLiteral("-style"),    QStringLiteral("-stylesheet"),    QStringLiteral("-display"),
        QStringLiteral("-session")};
    static const QStringList alone{QStringLiteral("-reverse"),
                                   QStringLiteral("--quit-after-start")};
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (withValue.contains(arguments[i]) && i + 1 < arguments.size())
            ++i;
        else if (!alone.contains(arguments[i]))
            return false;
    }
    return true;
}
} // namespace

namespace CommandLine {

QString overview()
{
    QString text = QStringLiteral(
        "Usage: orlenta [<command> [options]]\n\n"
        "Without a command, starts Orlenta, or brings up the management window of the one\n"
        "already running. While Orlenta runs, commands are carried out by it; otherwise they\n"
        "act on the current document directly.\n\n"
        "A node is named by its path of names from the top (Tools/deploy; write a / inside a\n"
        "name as \\/), or by its id or a unique prefix of it (at least 4 characters).\n\n"
        "Commands:\n");
    for (const CommandRow &row : CommandTable::rows())
        text += QStringLiteral("  %1\n").arg(usageOf(row));
    text += QStringLiteral("\nSee orlenta <command> --help. Errors exit with status 2.\n");
    return text;
}

ParsedCommandLine parse(const QStringList &arguments)
{
    if (arguments.isEmpty() || onlyStartOptions(arguments))
        return {Command{}, {}};
    const QString first = arguments.first();
    if (first == QStringLiteral("-h") || first == QStringLiteral("--help") ||
        (first == QStringLiteral("help") && arguments.size() == 1))
        return {helpCommand(overview()), {}};
    if (first == QStringLiteral("-v") || first == QStringLiteral("--version"))
        return {helpCommand(QStringLiteral("orlenta %1").arg(QStringLiteral(ORLENTA_VERSION))), {}};
    if (first == QStringLiteral("help"))
        return parse(arguments.mid(1) + QStringList{QStringLiteral("--help")});
    if (first == QStringLiteral("profile")) {
        const QString sub = arguments.value(1);
        if (sub.isEmpty() || sub == QStringLiteral("-h") || sub == QStringLiteral("--help"))
            return sub.isEmpty() ? failure(QStringLiteral("profile: say list, switch, open "
                                                          "or remove (see orlenta profile --help)"))
                                 : ParsedCommandLine{helpCommand(profileOverview()), {}};
        if (const CommandRow *row = CommandTable::find(QStringLiteral("profile ") + sub))
            return parseWith(*row, arguments.mid(2));
        return failure(QStringLiteral("profile: unknown subcommand \"%1\" (see orlenta profile "
                                      "--help)")
                           .arg(sub));
    }
    if (const CommandRow *row = CommandTable::find(first); row && !first.contains(u' '))
        return parseWith(*row, arguments.mid(1));
    if (first.startsWith(u'-'))
        return failure(QStringLiteral("unknown option \"%1\" (see orlenta --help)").arg(first));
    return failure(QStringLiteral("unknown command \"%1\" (see orlenta --help)").arg(first));
}

QStringList arguments(int argc, char **argv)
{
    QStringList list;
    for (int i = 1; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

bool needsWindows(const Command &command)
{
    if (command.kind != Command::Kind::command)
        return command.kind == Command::Kind::start;
    const CommandRow *row = CommandTable::find(command.name);
    return row && row->needsWindows;
}

} // namespace CommandLine
