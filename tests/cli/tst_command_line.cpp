#include "cli/CommandLine.h"

#include <QTest>

using Verb = Command::Verb;

namespace {
QStringList words(const char *line)
{
    return QString::fromUtf8(line).split(u' ', Qt::SkipEmptyParts);
}

Command make(Verb verb, QStringList operands = {})
{
    Command c;
    c.verb = verb;
    c.operands = std::move(operands);
    return c;
}
} // namespace

Q_DECLARE_METATYPE(Command)

class TestCommandLine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void accepted_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Command>("expected");

        QTest::newRow("nothing") << QStringList() << Command{};
        QTest::newRow("start options")
            << words("-platform offscreen --quit-after-start") << Command{};
        Command json = make(Verb::list);
        json.json = true;
        QTest::newRow("list --json") << words("list --json") << json;

        Command run = make(Verb::run, {QStringLiteral("Tools/deploy")});
        QTest::newRow("run") << words("run Tools/deploy") << run;
        run.arg = QStringLiteral("-v --fast");
        QTest::newRow("run --arg with dashes")
            << QStringList{QStringLiteral("run"), QStringLiteral("--arg"),
                           QStringLiteral("-v --fast"), QStringLiteral("Tools/deploy")}
            << run;
        run.arg = QString();
        QTest::newRow("run --arg empty") << QStringList{QStringLiteral("run"),
                                                        QStringLiteral("Tools/deploy"),
                                                        QStringLiteral("--arg="), }
                                         << run;
        run.arg.reset();
        run.preset = 2;
        QTest::newRow("run --preset") << words("run Tools/deploy --preset 2") << run;

        Command add = make(Verb::add, {QStringLiteral("a.sh"), QStringLiteral("b.sh")});
        add.to = QStringLiteral("Tools");
        QTest::newRow("add --to after files") << words("add a.sh b.sh --to Tools") << add;
        add.operands = {QStringLiteral("--odd.sh")};
        QTest::newRow("add after --") << words("add --to Tools -- --odd.sh") << add;
        QTest::newRow("mkdir unnamed") << words("mkdir") << make(Verb::mkdir);
        QTest::newRow("rename") << QStringList{QStringLiteral("rename"), QStringLiteral("a"),
                                               QStringLiteral("new name")}
                                << make(Verb::rename,
                                        {QStringLiteral("a"), QStringLiteral("new name")});
        Command mv = make(Verb::mv, {QStringLiteral("a")});
        mv.before = QStringLiteral("b");
        QTest::newRow("mv --before") << words("mv a --before b") << mv;
        mv.before.reset();
        mv.root = true;
        QTest::newRow("mv --root") << words("mv --root a") << mv;
        // Presets may look like options.
        QTest::newRow("args with option-like presets")
            << words("args Tools/deploy --prod -n 3")
            << make(Verb::args, {QStringLiteral("Tools/deploy"), QStringLiteral("--prod"),
                                 QStringLiteral("-n"), QStringLiteral("3")});
        QTest::newRow("args clearing")
            << words("args x") << make(Verb::args, {QStringLiteral("x")});
        Command off = make(Verb::publish);
        off.enable = false;
        QTest::newRow("publish --off") << words("publish --off") << off;
        QTest::newRow("profile list") << words("profile list") << make(Verb::profileList);
        QTest::newRow("profile switch")
            << words("profile switch Work") << make(Verb::profileSwitch, {QStringLiteral("Work")});
        Command remove = make(Verb::profileRemove, {QStringLiteral("Work")});
        remove.deleteFile = true;
        QTest::newRow("profile remove --delete-file")
            << words("profile remove Work --delete-file") << remove;
        Command syncOff = make(Verb::sync, {QStringLiteral("off")});
        syncOff.enable = false;
        QTest::newRow("sync off") << words("sync off") << syncOff;
        QTest::newRow("settings") << words("settings") << make(Verb::settings);
    }
    void accepted()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Command, expected);
        const ParsedCommandLine parsed = CommandLine::parse(arguments);
        QVERIFY2(parsed.command, qPrintable(parsed.error));
        QCOMPARE(parsed.command->verb, expected.verb);
        QCOMPARE(parsed.command->operands, expected.operands);
        QVERIFY(*parsed.command == expected);
    }

    void refused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");

        QTest::newRow("unknown command")
            << words("lst") << QStringLiteral("unknown command \"lst\"");
        QTest::newRow("start option without value")
            << words("-platform") << QStringLiteral("unknown option \"-platform\"");
        QTest::newRow("unknown top option")
            << words("--frobnicate") << QStringLiteral("unknown option \"--frobnicate\"");
        QTest::newRow("unknown option")
            << words("list --jsn") << QStringLiteral("list: Unknown option 'jsn'");
        QTest::newRow("stray operand")
            << words("list Tools") << QStringLiteral("unexpected \"Tools\"");
        QTest::newRow("run without node") << words("run") << QStringLiteral("missing <node>");
        QTest::newRow("run two nodes") << words("run a b") << QStringLiteral("unexpected \"b\"");
        QTest::newRow("arg and preset")
            << words("run a --arg x --preset 1") << QStringLiteral("exclude each other");
        QTest::newRow("preset zero") << words("run a --preset 0") << QStringLiteral("from 1 up");
        QTest::newRow("preset text") << words("run a --preset two") << QStringLiteral("from 1 up");
        QTest::newRow("arg without value")
            << words("run a --arg") << QStringLiteral("Missing value");
        QTest::newRow("add nothing") << words("add --to x") << QStringLiteral("missing <file>...");
        QTest::newRow("mv nowhere") << words("mv a") << QStringLiteral("one of --into");
        QTest::newRow("mv two places")
            << words("mv a --root --into b") << QStringLiteral("one of --into");
        QTest::newRow("rename without name")
            << words("rename a") << QStringLiteral("missing <name>");
        QTest::newRow("profile alone") << words("profile") << QStringLiteral("profile: say list");
        QTest::newRow("profile unknown")
            << words("profile drop x") << QStringLiteral("unknown subcommand \"drop\"");
        QTest::newRow("sync maybe") << words("sync maybe") << QStringLiteral("on or off");
        QTest::newRow("open with operand") << words("open x") << QStringLiteral("unexpected");
        // A command's words cannot be glued into one argument.
        QTest::newRow("glued words")
            << QStringList{QStringLiteral("profile list")} << QStringLiteral("unknown command");
    }
    void refused()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const ParsedCommandLine parsed = CommandLine::parse(arguments);
        QVERIFY(!parsed.command);
        QVERIFY2(parsed.error.contains(error), qPrintable(parsed.error));
        QVERIFY(!parsed.error.contains(u'\n'));
    }

    void help_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("top") << words("--help")
                             << QStringLiteral("Usage: orlenta [<command> [options]]");
        QTest::newRow("help word")
            << words("help") << QStringLiteral("Usage: orlenta [<command> [options]]");
        QTest::newRow("run") << words("run --help")
                             << QStringLiteral("Usage: orlenta run [options] <node>");
        QTest::newRow("help run") << words("help run")
                                  << QStringLiteral("Usage: orlenta run [options] <node>");
        QTest::newRow("short") << words("rm -h") << QStringLiteral("Usage: orlenta rm <node>");
        QTest::newRow("after operands")
            << words("rm x --help") << QStringLiteral("Usage: orlenta rm <node>");
        QTest::newRow("profile") << words("profile --help")
                                 << QStringLiteral("Usage: orlenta profile <subcommand> ...");
        QTest::newRow("profile remove")
            << words("profile remove --help")
            << QStringLiteral("Usage: orlenta profile remove [options] <profile>");
        QTest::newRow("version") << words("--version")
                                 << QStringLiteral("orlenta " ORLENTA_VERSION);
    }
    void help()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, firstLine);
        const ParsedCommandLine parsed = CommandLine::parse(arguments);
        QVERIFY2(parsed.command, qPrintable(parsed.error));
        QCOMPARE(parsed.command->verb, Verb::help);
        QCOMPARE(parsed.command->text.section(u'\n', 0, 0), firstLine);
        QVERIFY(parsed.command->text.endsWith(u'\n'));
    }

    void overviewNamesEveryCommand()
    {
        const QString text = CommandLine::overview();
        for (const char *name : {"list", "run", "add", "import", "mkdir", "rename", "rm", "mv",
                                 "args", "publish", "profile list", "profile switch",
                                 "profile open", "profile remove", "sync", "open", "settings"})
            QVERIFY2(text.contains(QStringLiteral("orlenta %1").arg(QLatin1StringView(name))),
                     name);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
