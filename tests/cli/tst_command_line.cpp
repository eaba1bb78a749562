#include "cli/CommandLine.h"
#include "cli/CommandRow.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {
QStringList words(const char *line)
{
    return QString::fromUtf8(line).split(u' ', Qt::SkipEmptyParts);
}

Command make(const char *name, QStringList operands = {}, QMap<QString, QString> options = {})
{
    Command c;
    c.kind = Command::Kind::command;
    c.name = QString::fromUtf8(name);
    c.operands = std::move(operands);
    c.options = std::move(options);
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
        QTest::newRow("list --json")
            << words("list --json") << make("list", {}, {{QStringLiteral("json"), QString()}});

        Command run = make("run", {QStringLiteral("Tools/deploy")});
        QTest::newRow("run") << words("run Tools/deploy") << run;
        run.options = {{QStringLiteral("arg"), QStringLiteral("-v --fast")}};
        QTest::newRow("run --arg with dashes")
            << QStringList{QStringLiteral("run"), QStringLiteral("--arg"),
                           QStringLiteral("-v --fast"), QStringLiteral("Tools/deploy")}
            << run;
        run.options = {{QStringLiteral("arg"), QString()}};
        QTest::newRow("run --arg empty") << QStringList{QStringLiteral("run"),
                                                        QStringLiteral("Tools/deploy"),
                                                        QStringLiteral("--arg="), }
                                         << run;
        run.options = {{QStringLiteral("preset"), QStringLiteral("2")}};
        QTest::newRow("run --preset") << words("run Tools/deploy --preset 2") << run;

        Command add = make("add", {QStringLiteral("a.sh"), QStringLiteral("b.sh")},
                           {{QStringLiteral("to"), QStringLiteral("Tools")}});
        QTest::newRow("add --to after files") << words("add a.sh b.sh --to Tools") << add;
        add.operands = {QStringLiteral("--odd.sh")};
        QTest::newRow("add after --") << words("add --to Tools -- --odd.sh") << add;
        QTest::newRow("mkdir unnamed") << words("mkdir") << make("mkdir");
        QTest::newRow("rename") << QStringList{QStringLiteral("rename"), QStringLiteral("a"),
                                               QStringLiteral("new name")}
                                << make("rename",
                                        {QStringLiteral("a"), QStringLiteral("new name")});
        Command mv =
            make("mv", {QStringLiteral("a")}, {{QStringLiteral("before"), QStringLiteral("b")}});
        QTest::newRow("mv --before") << words("mv a --before b") << mv;
        mv.options = {{QStringLiteral("root"), QString()}};
        QTest::newRow("mv --root") << words("mv --root a") << mv;
        // Presets may look like options.
        QTest::newRow("args with option-like presets")
            << words("args Tools/deploy --prod -n 3")
            << make("args", {QStringLiteral("Tools/deploy"), QStringLiteral("--prod"),
                             QStringLiteral("-n"), QStringLiteral("3")});
        QTest::newRow("args clearing") << words("args x") << make("args", {QStringLiteral("x")});
        QTest::newRow("publish --off")
            << words("publish --off") << make("publish", {}, {{QStringLiteral("off"), QString()}});
        QTest::newRow("profile list") << words("profile list") << make("profile list");
        QTest::newRow("profile switch")
            << words("profile switch Work") << make("profile switch", {QStringLiteral("Work")});
        QTest::newRow("profile remove --delete-file")
            << words("profile remove Work --delete-file")
            << make("profile remove", {QStringLiteral("Work")},
                    {{QStringLiteral("delete-file"), QString()}});
        QTest::newRow("sync off") << words("sync off") << make("sync", {QStringLiteral("off")});
        QTest::newRow("settings") << words("settings") << make("settings");
    }
    void accepted()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Command, expected);
        const ParsedCommandLine parsed = CommandLine::parse(arguments);
        QVERIFY2(parsed.command, qPrintable(parsed.error));
        QCOMPARE(parsed.command->kind, expected.kind);
        QCOMPARE(parsed.command->name, expected.name);
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
        QCOMPARE(parsed.command->kind, Command::Kind::help);
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

    // A row of the table is a whole command: its help, a handler, and a line
    // in the README's list of commands.
    void everyRowIsACommand()
    {
        QFile readme(QStringLiteral(ORLENTA_SOURCE_DIR "/README.md"));
        QVERIFY(readme.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(readme.readAll());
        const qsizetype section = text.indexOf(QStringLiteral("\n## Command line\n"));
        QVERIFY(section >= 0);
        const qsizetype begin = text.indexOf(QStringLiteral("```sh\n"), section);
        const QString examples =
            text.mid(begin, text.indexOf(QStringLiteral("```\n"), begin + 6) - begin);
        QSet<QString> seen;
        for (const CommandRow &row : CommandTable::rows()) {
            const QByteArray name = row.words.toUtf8();
            const char *words = name.constData();
            QVERIFY2(!seen.contains(row.words), words);
            seen.insert(row.words);
            QVERIFY2(row.carryOut, words);
            QCOMPARE(CommandTable::find(row.words), &row);
            const ParsedCommandLine help =
                CommandLine::parse(row.words.split(u' ') + QStringList{QStringLiteral("--help")});
            QVERIFY2(help.command && help.command->kind == Command::Kind::help, words);
            QVERIFY2(help.command->text.startsWith(QStringLiteral("Usage: orlenta ") + row.words),
                     words);
            QVERIFY2(help.command->text.contains(row.description), words);
            const QRegularExpression mentioned(
                QStringLiteral("(orlenta|#|,) %1\\b").arg(QRegularExpression::escape(row.words)));
            QVERIFY2(mentioned.match(examples).hasMatch(), words);
        }
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_command_line.moc"
