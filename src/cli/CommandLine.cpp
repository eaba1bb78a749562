#include "cli/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <functional>

namespace {
using Verb = Command::Verb;

struct Positional
{
    QString name;
    QString description;
    QString syntax;
};

struct Spec
{
    Verb verb;
    QString words; // "list", "profile switch"
    QString description;
    QList<Positional> positionals;
    int minimum = 0;
    int maximum = 0; // -1: no limit
    QList<QCommandLineOption> options;
    // Everything after the first operand is an operand, so presets may look like options.
    bool operandsAfterFirst = false;
    // Fills the command from the parser; returns an error line or nothing.
    std::function<QString(const QCommandLineParser &, Command &)> read;
};

QCommandLineOption option(const QString &name, const QString &description,
                          const QString &valueName = QString())
{
    return QCommandLineOption(name, description, valueName);
}

const QList<Spec> &specs()
{
    static const QList<Spec> table = [] {
        const QString toFolder = QStringLiteral("to");
        QList<Spec> t;
        t.append({Verb::list,
                  QStringLiteral("list"),
                  QStringLiteral("Print the tree of the current document in display order, one "
                                 "line per node: path, kind, id, file, presets (tab-separated)."),
                  {},
                  0,
                  0,
                  {option(QStringLiteral("json"), QStringLiteral("Print JSON instead."))},
                  false,
                  [](const QCommandLineParser &p, Command &c) {
                      c.json = p.isSet(QStringLiteral("json"));
                      return QString();
                  }});
        t.append(
            {Verb::run,
             QStringLiteral("run"),
             QStringLiteral("Hand a script, or every script of a folder, to the terminal as the "
                            "menu does, printing the run log. Exits 0 when every hand-over "
                            "succeeded, else with the last failing status."),
             {{QStringLiteral("node"), QStringLiteral("Path (Tools/deploy) or id of the node."),
               QStringLiteral("<node>")}},
             1,
             1,
             {option(QStringLiteral("arg"), QStringLiteral("Pass TEXT as the arguments."),
                     QStringLiteral("TEXT")),
              option(QStringLiteral("preset"),
                     QStringLiteral("Pass the script's preset number N (as `list` counts them)."),
                     QStringLiteral("N"))},
             false,
             [](const QCommandLineParser &p, Command &c) {
                 if (p.isSet(QStringLiteral("arg")) && p.isSet(QStringLiteral("preset")))
                     return QStringLiteral("--arg and --preset exclude each other");
                 if (p.isSet(QStringLiteral("arg")))
                     c.arg = p.value(QStringLiteral("arg"));
                 if (p.isSet(QStringLiteral("preset"))) {
                     bool ok = false;
                     const int n = p.value(QStringLiteral("preset")).toInt(&ok);
                     if (!ok || n < 1)
                         return QStringLiteral("--preset needs a number from 1 up, not \"%1\"")
                             .arg(p.value(QStringLiteral("preset")));
                     c.preset = n;
                 }
                 return QString();
             }});
        const auto readTo = [toFolder](const QCommandLineParser &p, Command &c) {
            if (p.isSet(toFolder))
                c.to = p.value(toFolder);
            return QString();
        };
        const QCommandLineOption toOption =
            option(toFolder, QStringLiteral("Add into FOLDER (path or id) instead of the top."),
                   QStringLiteral("FOLDER"));
        t.append({Verb::add,
                  QStringLiteral("add"),
                  QStringLiteral("Add script files (.sh, .command, or starting with #!)."),
                  {{QStringLiteral("file"), QStringLiteral("Script files to add."),
                    QStringLiteral("<file>...")}},
                  1,
                  -1,
                  {toOption},
                  false,
                  readTo});
        t.append(
            {Verb::import,
             QStringLiteral("import"),
             QStringLiteral("Import a directory with its subdirectories and scripts as "
                            "one folder."),
             {{QStringLiteral("dir"), QStringLiteral("The directory."), QStringLiteral("<dir>")}},
             1,
             1,
             {toOption},
             false,
             readTo});
        t.append({Verb::mkdir,
                  QStringLiteral("mkdir"),
                  QStringLiteral("Make a folder; without a name it is named after the time."),
                  {{QStringLiteral("name"), QStringLiteral("Name of the folder."),
                    QStringLiteral("[<name>]")}},
                  0,
                  1,
                  {toOption},
                  false,
                  readTo});
        t.append(
            {Verb::rename,
             QStringLiteral("rename"),
             QStringLiteral("Rename a node. An empty name makes a script show its file "
                            "name; a folder needs a name."),
             {{QStringLiteral("node"), QStringLiteral("Path or id of the node."),
               QStringLiteral("<node>")},
              {QStringLiteral("name"), QStringLiteral("The new name."), QStringLiteral("<name>")}},
             2,
             2,
             {},
             false,
             {}});
        t.append({Verb::rm,
                  QStringLiteral("rm"),
                  QStringLiteral("Remove a node, with everything in it, from the library. The "
                                 "files stay on disk."),
                  {{QStringLiteral("node"), QStringLiteral("Path or id of the node."),
                    QStringLiteral("<node>")}},
                  1,
                  1,
                  {},
                  false,
                  {}});
        t.append(
            {Verb::mv,
             QStringLiteral("mv"),
             QStringLiteral("Move a node into a folder, in front of another node, or to the "
                            "end of the top level."),
             {{QStringLiteral("node"), QStringLiteral("Path or id of the node to move."),
               QStringLiteral("<node>")}},
             1,
             1,
             {option(QStringLiteral("into"), QStringLiteral("Make it the last node of FOLDER."),
                     QStringLiteral("FOLDER")),
              option(QStringLiteral("before"), QStringLiteral("Put it in front of NODE."),
                     QStringLiteral("NODE")),
              option(QStringLiteral("root"), QStringLiteral("Make it the last top-level node."))},
             false,
             [](const QCommandLineParser &p, Command &c) {
                 const int targets = int(p.isSet(QStringLiteral("into"))) +
                                     int(p.isSet(QStringLiteral("before"))) +
                                     int(p.isSet(QStringLiteral("root")));
                 if (targets != 1)
                     return QStringLiteral("say where to: one of --into, --before, --root");
                 if (p.isSet(QStringLiteral("into")))
                     c.into = p.value(QStringLiteral("into"));
                 if (p.isSet(QStringLiteral("before")))
                     c.before = p.value(QStringLiteral("before"));
                 c.root = p.isSet(QStringLiteral("root"));
                 return QString();
             }});
        t.append({Verb::args,
                  QStringLiteral("args"),
                  QStringLiteral("Replace the argument presets of a script; none clears them. "
                                 "Everything after the node is taken as a preset."),
                  {{QStringLiteral("node"), QStringLiteral("Path or id of the script."),
                    QStringLiteral("<node>")},
                   {QStringLiteral("text"), QStringLiteral("The presets, in order."),
                    QStringLiteral("[<text>...]")}},
                  1,
                  -1,
                  {},
                  true,
                  {}});
        t.append({Verb::publish,
                  QStringLiteral("publish"),
                  QStringLiteral("Publish the current document: the tray menu shows the tree "
                                 "only for a published document."),
                  {},
                  0,
                  0,
                  {option(QStringLiteral("off"), QStringLiteral("Withdraw it instead."))},
                  false,
                  [](const QCommandLineParser &p, Command &c) {
                      c.enable = !p.isSet(QStringLiteral("off"));
                      return QString();
                  }});
        t.append({Verb::profileList,
                  QStringLiteral("profile list"),
                  QStringLiteral("List the profiles: id, name, document path, and \"current\" "
                                 "on the current one (tab-separated)."),
                  {},
                  0,
                  0,
                  {option(QStringLiteral("json"), QStringLiteral("Print JSON instead."))},
                  false,
                  [](const QCommandLineParser &p, Command &c) {
                      c.json = p.isSet(QStringLiteral("json"));
                      return QString();
                  }});
        t.append({Verb::profileSwitch,
                  QStringLiteral("profile switch"),
                  QStringLiteral("Make a profile current."),
                  {{QStringLiteral("profile"), QStringLiteral("Name or id of the profile."),
                    QStringLiteral("<profile>")}},
                  1,
                  1,
                  {},
                  false,
                  {}});
        t.append(
            {Verb::profileOpen,
             QStringLiteral("profile open"),
             QStringLiteral("Open a script document as a profile and make it current."),
             {{QStringLiteral("file"), QStringLiteral("The document."), QStringLiteral("<file>")}},
             1,
             1,
             {},
             false,
             {}});
        t.append({Verb::profileRemove,
                  QStringLiteral("profile remove"),
                  QStringLiteral("Remove an opened profile (the built-in ones stay)."),
                  {{QStringLiteral("profile"), QStringLiteral("Name or id of the profile."),
                    QStringLiteral("<profile>")}},
                  1,
                  1,
                  {option(QStringLiteral("delete-file"),
                          QStringLiteral("Also delete its document file."))},
                  false,
                  [](const QCommandLineParser &p, Command &c) {
                      c.deleteFile = p.isSet(QStringLiteral("delete-file"));
                      return QString();
                  }});
        t.append(
            {Verb::sync,
             QStringLiteral("sync"),
             QStringLiteral("Turn cloud synchronisation on (switch to the cloud document, "
                            "copying the current one there the first time) or off."),
             {{QStringLiteral("state"), QStringLiteral("on or off."), QStringLiteral("on|off")}},
             1,
             1,
             {},
             false,
             [](const QCommandLineParser &p, Command &c) {
                 const QString state = p.positionalArguments().value(0);
                 if (state != QStringLiteral("on") && state != QStringLiteral("off"))
                     return QStringLiteral("say on or off, not \"%1\"").arg(state);
                 c.enable = state == QStringLiteral("on");
                 return QString();
             }});
        t.append({Verb::open,
                  QStringLiteral("open"),
                  QStringLiteral("Open the management window."),
                  {},
                  0,
                  0,
                  {},
                  false,
                  {}});
        t.append({Verb::palette,
                  QStringLiteral("palette"),
                  QStringLiteral("Show the quick-run palette: type, then Enter runs."),
                  {},
                  0,
                  0,
                  {},
                  false,
                  {}});
        t.append({Verb::settings,
                  QStringLiteral("settings"),
                  QStringLiteral("Open the settings window."),
                  {},
                  0,
                  0,
                  {},
                  false,
                  {}});
        return t;
    }();
    return table;
}

const QString programName = QStringLiteral("orlenta");

QString usageOf(const Spec &spec)
{
    QStringList parts{programName, spec.words};
    if (!spec.options.isEmpty())
        parts.append(QStringLiteral("[options]"));
    for (const Positional &p : spec.positionals)
        parts.append(p.syntax);
    return parts.join(u' ');
}

void setUp(QCommandLineParser &parser, const Spec &spec)
{
    parser.setApplicationDescription(spec.description);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (spec.operandsAfterFirst)
        parser.setOptionsAfterPositionalArgumentsMode(
            QCommandLineParser::ParseAsPositionalArguments);
    for (const Positional &p : spec.positionals)
        parser.addPositionalArgument(p.name, p.description, p.syntax);
    for (const QCommandLineOption &o : spec.options)
        parser.addOption(o);
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help.")));
}

QString helpOf(const Spec &spec)
{
    QCommandLineParser parser;
    setUp(parser, spec);
    // Qt's own usage line names the executable as it was started; ours names the command.
    QString text = parser.helpText();
    const int firstBreak = text.indexOf(u'\n');
    text.replace(0, firstBreak, QStringLiteral("Usage: ") + usageOf(spec));
    return text;
}

ParsedCommandLine failure(const QString &line)
{
    return {std::nullopt, line};
}

Command helpCommand(const QString &text)
{
    Command c;
    c.verb = Verb::help;
    c.text = text.endsWith(u'\n') ? text : text + u'\n';
    return c;
}

QString profileOverview()
{
    QString text = QStringLiteral("Usage: orlenta profile <subcommand> ...\n\n");
    for (const Spec &spec : specs())
        if (spec.words.startsWith(QStringLiteral("profile ")))
            text += QStringLiteral("  %1\n").arg(usageOf(spec));
    return text + QStringLiteral("\nSee orlenta profile <subcommand> --help.\n");
}

const Spec *findSpec(const QString &words)
{
    for (const Spec &spec : specs())
        if (spec.words == words)
            return &spec;
    return nullptr;
}

ParsedCommandLine parseWith(const Spec &spec, const QStringList &rest)
{
    QCommandLineParser parser;
    setUp(parser, spec);
    const QString where = programName + u' ' + spec.words;
    if (!parser.parse(QStringList{where} + rest))
        return failure(QStringLiteral("%1: %2").arg(spec.words, parser.errorText()));
    if (parser.isSet(QStringLiteral("help")))
        return {helpCommand(helpOf(spec)), {}};
    const QStringList operands = parser.positionalArguments();
    if (operands.size() < spec.minimum)
        return failure(
            QStringLiteral("%1: missing %2 (usage: %3)")
                .arg(spec.words, spec.positionals.value(operands.size()).syntax, usageOf(spec)));
    if (spec.maximum >= 0 && operands.size() > spec.maximum)
        return failure(QStringLiteral("%1: unexpected \"%2\" (usage: %3)")
                           .arg(spec.words, operands.value(spec.maximum), usageOf(spec)));
    Command command;
    command.verb = spec.verb;
    command.operands = operands;
    if (spec.read) {
        const QString error = spec.read(parser, command);
        if (!error.isEmpty())
            return failure(QStringLiteral("%1: %2").arg(spec.words, error));
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
    for (const Spec &spec : specs())
        text += QStringLiteral("  %1\n").arg(usageOf(spec));
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
        if (const Spec *spec = findSpec(QStringLiteral("profile ") + sub))
            return parseWith(*spec, arguments.mid(2));
        return failure(QStringLiteral("profile: unknown subcommand \"%1\" (see orlenta profile "
                                      "--help)")
                           .arg(sub));
    }
    if (const Spec *spec = findSpec(first); spec && !first.contains(u' '))
        return parseWith(*spec, arguments.mid(1));
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
    return command.verb == Verb::start || command.verb == Verb::open ||
           command.verb == Verb::settings || command.verb == Verb::palette;
}

} // namespace CommandLine
