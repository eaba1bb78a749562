#include "cli/CommandExecutor.h"
#include "instance/InstanceClient.h"
#include "instance/InstanceElection.h"
#include "instance/InstanceServer.h"
#include "instance/SingleInstance.h"
#include "library/ShellStore.h"
#include "run/RunController.h"
#include "run/ShellRunner.h"
#include "settings/Preferences.h"

#include "FakeTerminalBackEnd.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace std::chrono_literals;

namespace {

struct Result
{
    int status = -1;
    QString out;
    QString err;
};

QUuid fixed(int n)
{
    const QString digit = QString::number(n);
    return QUuid::fromString(digit + QStringLiteral("0000000-0000-0000-0000-00000000000") + digit);
}

ShellNode node(int n, NodeKind kind, const QString &name, std::optional<QString> path = {})
{
    ShellNode node;
    node.id = fixed(n);
    node.name = name;
    node.kind = kind;
    node.filePath = std::move(path);
    node.createdAt = 700000000;
    return node;
}

// One line per node: path, kind, presets; and whether the document is published.
QStringList summary(const ShellStore &store)
{
    QStringList lines{store.isPublished() ? QStringLiteral("published")
                                          : QStringLiteral("unpublished")};
    const std::function<void(const QList<ShellNode> &, const QString &)> walk =
        [&](const QList<ShellNode> &list, const QString &parent) {
            for (const ShellNode &n : list) {
                const QString path =
                    parent.isEmpty() ? n.displayName() : parent + u'/' + n.displayName();
                QString line = path + u'|' + toRaw(n.kind);
                if (!n.argPresets().isEmpty())
                    line += u'|' + n.argPresets().join(u',');
                lines.append(line);
                if (n.children)
                    walk(*n.children, path);
            }
        };
    walk(store.roots(), QString());
    return lines;
}
} // namespace

class TestCommandExecutor : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<ShellStore> m_store;
    FakeTerminalBackEnd *m_backEnd = nullptr;
    std::unique_ptr<ShellRunner> m_runner;
    std::unique_ptr<RunController> m_runs;
    std::unique_ptr<CommandExecutor> m_executor;
    std::unique_ptr<QTemporaryDir> m_socketFolder;
    std::unique_ptr<SingleInstance> m_instance;

    QString bin(const QString &name) const
    {
        return m_home->filePath(QStringLiteral("bin/") + name);
    }

    // Through the launcher, as main() does: carried out here when no instance
    // listens, handed to it when one does.
    Result command(const QStringList &arguments)
    {
        Result result;
        const InstanceElection::Streams streams{[&](const QString &t) { result.out += t; },
                                                [&](const QString &t) { result.err += t; }};
        const ParsedCommandLine parsed = CommandLine::parse(arguments);
        if (!parsed.command) {
            result.err = QStringLiteral("orlenta: %1\n").arg(parsed.error);
            result.status = 2;
            return result;
        }
        SingleInstance starter(m_socketFolder->path());
        result.status = InstanceElection::runCommand(
            arguments, starter,
            [&] {
                return m_executor->executeAndWait(*parsed.command, QDir::currentPath(),
                                                  streams.standardOutput, streams.standardError);
            },
            streams);
        return result;
    }

    void startInstance()
    {
        m_instance = std::make_unique<SingleInstance>(m_socketFolder->path());
        QCOMPARE(m_instance->elect(1s), SingleInstance::Role::primary);
        QVERIFY(m_instance->listen());
        InstanceElection::serve(*m_instance->server(), *m_executor);
    }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TestHome>();
        m_preferences = std::make_unique<Preferences>(m_home->preferencesFile());
        m_store = std::make_unique<ShellStore>(*m_preferences, m_home->locations());
        m_store->setLineSink([](const QString &) {});
        auto backEnd = std::make_unique<FakeTerminalBackEnd>(
            [](const HandOverText &text) { return QStringLiteral("[%1]\n").arg(text.commandLine); },
            1);
        m_backEnd = backEnd.get();
        m_runner = std::make_unique<ShellRunner>(std::move(backEnd), m_preferences.get());
        m_runs = std::make_unique<RunController>(nullptr, m_runner.get());
        m_executor = std::make_unique<CommandExecutor>(*m_store, *m_runs);
        m_socketFolder = std::make_unique<QTemporaryDir>();

        m_home->write(QStringLiteral("bin/deploy.sh"), "#!/bin/sh\n");
        m_home->write(QStringLiteral("bin/build.command"), "echo\n");
        m_home->write(QStringLiteral("bin/noext"), "#!/bin/bash\n");
        m_home->write(QStringLiteral("bin/notes.txt"), "hello\n");
        m_home->write(QStringLiteral("bin/tools/a.sh"), "#!/bin/sh\n");
        m_home->write(QStringLiteral("bin/tools/sub/b.sh"), "#!/bin/sh\n");

        ShellNode tools = node(1, NodeKind::folder, QStringLiteral("Tools"));
        ShellNode deploy =
            node(2, NodeKind::script, QStringLiteral("deploy"), bin(QStringLiteral("deploy.sh")));
        deploy.args = QStringList{QStringLiteral("--prod"), QStringLiteral("--staging")};
        ShellNode nested = node(3, NodeKind::folder, QStringLiteral("Nested"));
        nested.children = QList<ShellNode>{
            node(4, NodeKind::script, QStringLiteral("inner"), bin(QStringLiteral("tools/a.sh")))};
        tools.children = QList<ShellNode>{deploy, nested};
        m_store->setRoots(
            {tools, node(5, NodeKind::folder, QStringLiteral("Empty")),
             node(6, NodeKind::script, QStringLiteral("x"), bin(QStringLiteral("x.sh")))});
        QVERIFY(m_store->save());
        QDir::setCurrent(m_home->path());
    }
    void cleanup()
    {
        m_instance.reset();
        m_executor.reset();
        m_runs.reset();
        m_runner.reset();
        m_store.reset();
    }

    void commands_data()
    {
        QTest::addColumn<bool>("throughInstance");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");       // a pattern; ID stands for a full id
        QTest::addColumn<QString>("err");       // part of the one error line
        QTest::addColumn<QStringList>("after"); // the tree afterwards; empty: unchanged

        const QStringList initial{QStringLiteral("unpublished"),
                                  QStringLiteral("Tools|folder"),
                                  QStringLiteral("Tools/deploy|script|--prod,--staging"),
                                  QStringLiteral("Tools/Nested|folder"),
                                  QStringLiteral("Tools/Nested/inner|script"),
                                  QStringLiteral("Empty|folder"),
                                  QStringLiteral("x|script")};
        const auto with = [&initial](int at, const QStringList &lines) {
            QStringList list = initial;
            for (qsizetype i = 0; i < lines.size(); ++i)
                list.insert(at + i, lines[i]);
            return list;
        };
        struct Row
        {
            const char *name;
            QStringList arguments;
            int status;
            QString out;
            QString err;
            QStringList after;
        };
        const auto a = [](const char *line) {
            return QString::fromUtf8(line).split(u' ', Qt::SkipEmptyParts);
        };
        QStringList renamed = initial;
        renamed[2] = QStringLiteral("Tools/ship|script|--prod,--staging");
        QStringList unnamedX = initial;
        unnamedX[6] = QStringLiteral("x.sh|script");
        QStringList published = initial;
        published[0] = QStringLiteral("published");
        QStringList newArgs = initial;
        newArgs[2] = QStringLiteral("Tools/deploy|script|--fast,-n");
        QStringList noArgs = initial;
        noArgs[2] = QStringLiteral("Tools/deploy|script");

        const QList<Row> rows{
            {"add into folder",
             a("add bin/build.command --to Tools"),
             0,
             QStringLiteral("Tools/build\tID\n"),
             {},
             with(5, {QStringLiteral("Tools/build|script")})},
            {"add script without extension",
             a("add bin/noext"),
             0,
             QStringLiteral("noext\tID\n"),
             {},
             initial + QStringList{QStringLiteral("noext|script")}},
            {"add several",
             a("add bin/deploy.sh bin/noext --to Empty"),
             0,
             QStringLiteral("Empty/deploy\tID\nEmpty/noext\tID\n"),
             {},
             with(6,
                  {QStringLiteral("Empty/deploy|script"), QStringLiteral("Empty/noext|script")})},
            {"add not a script",
             a("add bin/notes.txt"),
             2,
             {},
             QStringLiteral("\"bin/notes.txt\" is not a script"),
             {}},
            {"add one bad of two",
             a("add bin/deploy.sh bin/notes.txt"),
             2,
             {},
             QStringLiteral("is not a script"),
             {}},
            {"add missing",
             a("add bin/missing.sh"),
             2,
             {},
             QStringLiteral("no file \"bin/missing.sh\""),
             {}},
            {"add directory", a("add bin"), 2, {}, QStringLiteral("orlenta import"), {}},
            {"add into script",
             a("add bin/deploy.sh --to Tools/deploy"),
             2,
             {},
             QStringLiteral("\"Tools/deploy\" is a script, not a folder"),
             {}},
            {"add into nothing",
             a("add bin/deploy.sh --to Nope"),
             2,
             {},
             QStringLiteral("no node \"Nope\""),
             {}},
            {"import",
             a("import bin/tools --to Empty"),
             0,
             QStringLiteral("Empty/tools\tID\n"),
             {},
             with(6, {QStringLiteral("Empty/tools|folder"), QStringLiteral("Empty/tools/a|script"),
                      QStringLiteral("Empty/tools/sub|folder"),
                      QStringLiteral("Empty/tools/sub/b|script")})},
            {"import a file",
             a("import bin/deploy.sh"),
             2,
             {},
             QStringLiteral("is not a directory"),
             {}},
            {"mkdir",
             a("mkdir Ops --to Tools/Nested"),
             0,
             QStringLiteral("Tools/Nested/Ops\tID\n"),
             {},
             with(5, {QStringLiteral("Tools/Nested/Ops|folder")})},
            {"rename", a("rename Tools/deploy ship"), 0, {}, {}, renamed},
            {"rename by id", a("rename 2000 ship"), 0, {}, {}, renamed},
            {"rename folder blank",
             QStringList{QStringLiteral("rename"), QStringLiteral("Tools"), QStringLiteral(" \t ")},
             2,
             {},
             QStringLiteral("a folder needs a name"),
             {}},
            {"rename script blank",
             QStringList{QStringLiteral("rename"), QStringLiteral("x"), QStringLiteral("")},
             0,
             {},
             {},
             unnamedX},
            {"rm folder",
             a("rm Tools"),
             0,
             {},
             {},
             {QStringLiteral("unpublished"), QStringLiteral("Empty|folder"),
              QStringLiteral("x|script")}},
            {"rm unknown", a("rm Tool"), 2, {}, QStringLiteral("no node \"Tool\""), {}},
            {"mv into",
             a("mv x --into Tools"),
             0,
             {},
             {},
             {QStringLiteral("unpublished"), QStringLiteral("Tools|folder"),
              QStringLiteral("Tools/deploy|script|--prod,--staging"),
              QStringLiteral("Tools/Nested|folder"), QStringLiteral("Tools/Nested/inner|script"),
              QStringLiteral("Tools/x|script"), QStringLiteral("Empty|folder")}},
            {"mv before",
             a("mv x --before Tools"),
             0,
             {},
             {},
             {QStringLiteral("unpublished"), QStringLiteral("x|script"),
              QStringLiteral("Tools|folder"),
              QStringLiteral("Tools/deploy|script|--prod,--staging"),
              QStringLiteral("Tools/Nested|folder"), QStringLiteral("Tools/Nested/inner|script"),
              QStringLiteral("Empty|folder")}},
            {"mv root",
             a("mv Tools/Nested/inner --root"),
             0,
             {},
             {},
             {QStringLiteral("unpublished"), QStringLiteral("Tools|folder"),
              QStringLiteral("Tools/deploy|script|--prod,--staging"),
              QStringLiteral("Tools/Nested|folder"), QStringLiteral("Empty|folder"),
              QStringLiteral("x|script"), QStringLiteral("inner|script")}},
            {"mv into own child",
             a("mv Tools --into Tools/Nested"),
             2,
             {},
             QStringLiteral("into itself"),
             {}},
            {"mv into itself",
             a("mv Tools --into Tools"),
             2,
             {},
             QStringLiteral("into itself"),
             {}},
            {"mv before own grandchild",
             a("mv Tools --before Tools/Nested/inner"),
             2,
             {},
             QStringLiteral("into itself"),
             {}},
            {"mv before itself",
             a("mv x --before x"),
             2,
             {},
             QStringLiteral("in front of itself"),
             {}},
            {"mv into script",
             a("mv x --into Tools/deploy"),
             2,
             {},
             QStringLiteral("is a script, not a folder"),
             {}},
            {"args",
             QStringList{QStringLiteral("args"), QStringLiteral("Tools/deploy"),
                         QStringLiteral("--fast"), QStringLiteral("  "), QStringLiteral("-n")},
             0,
             {},
             {},
             newArgs},
            {"args cleared", a("args Tools/deploy"), 0, {}, {}, noArgs},
            {"args on folder",
             a("args Tools a"),
             2,
             {},
             QStringLiteral("\"Tools\" is a folder"),
             {}},
            {"publish", a("publish"), 0, {}, {}, published},
            {"publish off", a("publish --off"), 0, {}, {}, initial},
            {"run missing preset",
             a("run Tools/deploy --preset 3"),
             2,
             {},
             QStringLiteral("has 2 presets, there is no preset 3"),
             {}},
            {"run preset of script without",
             a("run x --preset 1"),
             2,
             {},
             QStringLiteral("\"x\" has no presets"),
             {}},
            {"run empty folder", a("run Empty"), 2, {}, QStringLiteral("holds no scripts"), {}},
            {"run folder preset",
             a("run Tools --preset 1"),
             2,
             {},
             QStringLiteral("only a script has presets"),
             {}},
            {"run unknown",
             a("run Tools/nope"),
             2,
             {},
             QStringLiteral("no node named \"nope\" in \"Tools\""),
             {}},
            {"open without windows", a("open"), 2, {}, QStringLiteral("no window"), {}},
        };
        for (const bool throughInstance : {false, true}) {
            for (const Row &row : rows)
                QTest::addRow("%s %s", throughInstance ? "instance" : "here", row.name)
                    << throughInstance << row.arguments << row.status << row.out << row.err
                    << (row.after.isEmpty() ? initial : row.after);
        }
    }
    void commands()
    {
        QFETCH(bool, throughInstance);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QStringList, after);
        if (throughInstance)
            startInstance();
        const QByteArray before =
            QFile(m_store->currentProfile().path).exists()
                ? m_home->read(QStringLiteral("home/Documents/FennickTallowBay/tallowBay.json"))
                : QByteArray();

        const Result result = command(arguments);
        QCOMPARE(result.status, status);
        const QString pattern = QRegularExpression::escape(out).replace(
            QStringLiteral("ID"), QStringLiteral("[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}"));
        QVERIFY2(
            QRegularExpression(QStringLiteral("^%1$").arg(pattern)).match(result.out).hasMatch(),
            qPrintable(result.out));
        if (err.isEmpty()) {
            QCOMPARE(result.err, QString());
        } else {
            QVERIFY2(result.err.startsWith(QStringLiteral("orlenta: ")), qPrintable(result.err));
            QVERIFY2(result.err.contains(err), qPrintable(result.err));
            QCOMPARE(result.err.count(u'\n'), 1);
            QVERIFY(result.err.endsWith(u'\n'));
        }
        QCOMPARE(summary(*m_store), after);
        if (status == 2) // refused: not even saved again
            QCOMPARE(m_home->read(QStringLiteral("home/Documents/FennickTallowBay/tallowBay.json")),
                     before);
        // What is in memory is what a fresh start reads.
        ShellStore reread(*m_preferences, m_home->locations());
        QCOMPARE(summary(reread), after);
    }

    void listing()
    {
        const QString deploy = bin(QStringLiteral("deploy.sh"));
        const QString inner = bin(QStringLiteral("tools/a.sh"));
        const QString x = bin(QStringLiteral("x.sh"));
        const QString expected = QStringLiteral("Tools\tfolder\t1000\t\n") +
                                 QStringLiteral("Tools/deploy\tscript\t2000\t") + deploy +
                                 QStringLiteral("\t--prod\t--staging\n") +
                                 QStringLiteral("Tools/Nested\tfolder\t3000\t\n") +
                                 QStringLiteral("Tools/Nested/inner\tscript\t4000\t") + inner +
                                 QStringLiteral("\n") + QStringLiteral("Empty\tfolder\t5000\t\n") +
                                 QStringLiteral("x\tscript\t6000\t") + x + QStringLiteral("\n");
        const Result here = command({QStringLiteral("list")});
        QCOMPARE(here.status, 0);
        QCOMPARE(here.out, expected);
        startInstance();
        const Result there = command({QStringLiteral("list")});
        QCOMPARE(there.status, 0);
        QCOMPARE(there.out, expected);

        // Display order follows the sort mode; odd names stay on one line.
        m_store->rename(fixed(6), QStringLiteral("a/b\tc"));
        m_store->setSortMode(SortMode::name);
        const QStringList lines = command({QStringLiteral("list")}).out.split(u'\n');
        QCOMPARE(lines.value(0).section(u'\t', 0, 0), QStringLiteral("Empty"));
        QCOMPARE(lines.value(5).section(u'\t', 0, 1), QStringLiteral("a\\/b\\tc\tscript"));
        QCOMPARE(lines.size(), 7);
    }

    void listingAsJson()
    {
        m_store->setPublished(true);
        const Result result = command({QStringLiteral("list"), QStringLiteral("--json")});
        QCOMPARE(result.status, 0);
        const QJsonObject document = QJsonDocument::fromJson(result.out.toUtf8()).object();
        QCOMPARE(document.value(QStringLiteral("isPublished")).toBool(), true);
        QCOMPARE(document.value(QStringLiteral("sortMode")).toString(), QStringLiteral("custom"));
        QCOMPARE(document.value(QStringLiteral("profile"))[QStringLiteral("id")].toString(),
                 QStringLiteral("00000000-0000-0000-0000-00000000000A"));
        const QJsonArray nodes = document.value(QStringLiteral("nodes")).toArray();
        QCOMPARE(nodes.size(), 3);
        const QJsonObject deploy = nodes[0][QStringLiteral("children")][0].toObject();
        QCOMPARE(deploy.value(QStringLiteral("id")).toString(), uuidText(fixed(2)));
        QCOMPARE(deploy.value(QStringLiteral("path")).toString(), QStringLiteral("Tools/deploy"));
        QCOMPARE(deploy.value(QStringLiteral("kind")).toString(), QStringLiteral("script"));
        QCOMPARE(deploy.value(QStringLiteral("presets")).toArray().size(), 2);
        QCOMPARE(deploy.value(QStringLiteral("filePath")).toString(),
                 bin(QStringLiteral("deploy.sh")));
        QVERIFY(!nodes[1].toObject().contains(QStringLiteral("presets")));
    }

    void profiles()
    {
        // A second document to open.
        TestHome other;
        QVERIFY(other.write(QStringLiteral("Work/tallowBay.json"),
                            R"({"isPublished": true, "roots": []})"));
        QVERIFY(m_home->write(QStringLiteral("bad.json"), "not json"));

        for (const bool throughInstance : {false, true}) {
            if (throughInstance)
                startInstance();
            QCOMPARE(command({QStringLiteral("profile"), QStringLiteral("open"),
                              m_home->filePath(QStringLiteral("bad.json"))})
                         .status,
                     2);
            QCOMPARE(m_store->currentProfileID(), Profile::localProfileID);

            const Result opened = command({QStringLiteral("profile"), QStringLiteral("open"),
                                           other.filePath(QStringLiteral("Work/tallowBay.json"))});
            QCOMPARE(opened.status, 0);
            QCOMPARE(m_store->currentProfile().name, QStringLiteral("Work"));
            QVERIFY(m_store->roots().isEmpty());

            const QStringList lines = command({QStringLiteral("profile"), QStringLiteral("list")})
                                          .out.split(u'\n', Qt::SkipEmptyParts);
            QCOMPARE(lines.size(), 3);
            QVERIFY(lines[0].startsWith(
                QStringLiteral("00000000-0000-0000-0000-00000000000A\t本机文稿\t")));
            QVERIFY(lines[2].endsWith(QStringLiteral("\tcurrent")));

            const Result builtIn = command(
                {QStringLiteral("profile"), QStringLiteral("remove"), QStringLiteral("本机文稿")});
            QCOMPARE(builtIn.status, 2);
            QVERIFY(builtIn.err.contains(QStringLiteral("cannot be removed")));
            QCOMPARE(command({QStringLiteral("profile"), QStringLiteral("switch"),
                              QStringLiteral("nobody")})
                         .status,
                     2);
            QCOMPARE(command({QStringLiteral("profile"), QStringLiteral("switch"),
                              QStringLiteral("0000")})
                         .err.contains(QStringLiteral("fits 2 profiles")),
                     true);

            QCOMPARE(command({QStringLiteral("profile"), QStringLiteral("switch"),
                              QStringLiteral("本机文稿")})
                         .status,
                     0);
            QCOMPARE(summary(*m_store).size(), 7);
            QCOMPARE(command({QStringLiteral("profile"), QStringLiteral("remove"),
                              QStringLiteral("Work")})
                         .status,
                     0);
            QVERIFY(QFile::exists(other.filePath(QStringLiteral("Work/tallowBay.json"))));
            QCOMPARE(m_store->customProfiles().size(), 0);
            m_instance.reset();
        }
    }

    void sync()
    {
        for (const bool throughInstance : {false, true}) {
            if (throughInstance)
                startInstance();
            QCOMPARE(command({QStringLiteral("sync"), QStringLiteral("on")}).status, 0);
            QCOMPARE(m_store->currentProfileID(), Profile::iCloudProfileID);
            // The first time, the cloud document starts as a copy of the local one.
            QCOMPARE(summary(*m_store).size(), 7);
            QCOMPARE(command({QStringLiteral("sync"), QStringLiteral("off")}).status, 0);
            QCOMPARE(m_store->currentProfileID(), Profile::localProfileID);
            m_instance.reset();
        }
    }

    void windows()
    {
        int management = 0;
        int settings = 0;
        int palettes = 0;
        m_executor->setWindowRequests(
            {[&] { ++management; }, [&] { ++settings; }, [&] { ++palettes; }});
        startInstance();
        // Starting again, or asking for a window, reaches the running instance.
        SingleInstance second(m_socketFolder->path());
        QCOMPARE(
            InstanceElection::joinOrBecomeInstance({}, second, InstanceElection::processStreams()),
            0);
        QCOMPARE(command({QStringLiteral("open")}).status, 0);
        QCOMPARE(command({QStringLiteral("settings")}).status, 0);
        QCOMPARE(command({QStringLiteral("palette")}).status, 0);
        QCOMPARE(management, 2);
        QCOMPARE(settings, 1);
        QCOMPARE(palettes, 1);
    }

    void runs_data()
    {
        QTest::addColumn<bool>("throughInstance");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QList<int>>("statuses");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("commandLines");

        for (const bool instance : {false, true}) {
            const char *mode = instance ? "instance" : "here";
            QTest::addRow("%s script", mode)
                << instance << QStringList{QStringLiteral("run"), QStringLiteral("x")}
                << QList<int>{0} << 0 << QStringList{QStringLiteral("'./x.sh'")};
            QTest::addRow("%s preset", mode)
                << instance
                << QStringList{QStringLiteral("run"), QStringLiteral("Tools/deploy"),
                               QStringLiteral("--preset"), QStringLiteral("2")}
                << QList<int>{0} << 0 << QStringList{QStringLiteral("'./deploy.sh' --staging")};
            QTest::addRow("%s arg", mode)
                << instance
                << QStringList{QStringLiteral("run"), QStringLiteral("x"), QStringLiteral("--arg"),
                               QStringLiteral("-v 'a b'")}
                << QList<int>{0} << 0 << QStringList{QStringLiteral("'./x.sh' -v 'a b'")};
            QTest::addRow("%s folder, first fails", mode)
                << instance << QStringList{QStringLiteral("run"), QStringLiteral("Tools")}
                << QList<int>{3, 0} << 3
                << QStringList{QStringLiteral("'./deploy.sh'"), QStringLiteral("'./a.sh'")};
            QTest::addRow("%s folder, the last failure counts", mode)
                << instance << QStringList{QStringLiteral("run"), QStringLiteral("Tools")}
                << QList<int>{2, 5} << 5
                << QStringList{QStringLiteral("'./deploy.sh'"), QStringLiteral("'./a.sh'")};
        }
    }
    void runs()
    {
        QFETCH(bool, throughInstance);
        QFETCH(QStringList, arguments);
        QFETCH(QList<int>, statuses);
        QFETCH(int, status);
        QFETCH(QStringList, commandLines);
        if (throughInstance)
            startInstance();
        m_backEnd->statuses = statuses;
        const Result result = command(arguments);
        QCOMPARE(result.err, QString());
        QCOMPARE(result.status, status);
        QCOMPARE(m_backEnd->commandLines.size(), commandLines.size());
        for (qsizetype i = 0; i < commandLines.size(); ++i)
            QVERIFY2(m_backEnd->commandLines[i].endsWith(commandLines[i]),
                     qPrintable(m_backEnd->commandLines[i]));
        // The whole log, as the output pane shows it, and nothing else.
        QCOMPARE(result.out, m_runs->output());
        QVERIFY(result.out.startsWith(
            RunController::header(commandLines.first().section(u'/', 1).section(u'.', 0, 0))));
        QVERIFY(!m_runs->isRunning());
    }

    void runIgnoresOtherRuns()
    {
        startInstance();
        // The menu starts a run just before the command line does.
        m_runs->run(*Forest::first(m_store->roots(), fixed(2)), *m_store);
        const Result result = command({QStringLiteral("run"), QStringLiteral("x")});
        QCOMPARE(result.status, 0);
        QCOMPARE(m_backEnd->commandLines.size(), 2);
        QVERIFY(result.out.contains(RunController::header(QStringLiteral("x"))));
        QVERIFY(!result.out.contains(QStringLiteral("deploy")));
    }

    void relativePathsAreTheClients()
    {
        startInstance();
        SingleInstance client(m_socketFolder->path());
        QCOMPARE(client.elect(1s), SingleInstance::Role::secondary);
        QString out;
        QString err;
        InstanceClient conversation(client.takeConnection());
        // The instance runs elsewhere; the file is named from where the command was typed.
        QDir::setCurrent(QDir::rootPath());
        const int status = conversation.exchange(
            {QStringLiteral("add"), QStringLiteral("noext")},
            m_home->filePath(QStringLiteral("bin")), [&](const QString &t) { out += t; },
            [&](const QString &t) { err += t; });
        QCOMPARE(err, QString());
        QCOMPARE(status, 0);
        QCOMPARE(Forest::first(m_store->roots(), QUuid::fromString(out.section(u'\t', 1).trimmed()))
                     ->filePath,
                 bin(QStringLiteral("noext")));
    }

    void unreadableDocumentIsMentioned()
    {
        QVERIFY(m_home->write(QStringLiteral("home/Documents/FennickTallowBay/tallowBay.json"),
                              "{ broken"));
        m_store->load();
        const Result result = command({QStringLiteral("list")});
        QCOMPARE(result.status, 0);
        QVERIFY2(result.err.startsWith(QStringLiteral("orlenta: warning: ")),
                 qPrintable(result.err));
        QCOMPARE(result.err.count(u'\n'), 1);
    }

    void failedSaveIsReported()
    {
        // Something that cannot be replaced by a file takes the document's place.
        const QString document = m_store->currentProfile().path;
        QVERIFY(QFile::remove(document));
        QVERIFY(QDir().mkpath(document + QStringLiteral("/blocked")));
        const Result result = command({QStringLiteral("mkdir"), QStringLiteral("Ops")});
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.startsWith(QStringLiteral("orlenta: could not save ")),
                 qPrintable(result.err));
        QCOMPARE(result.err.count(u'\n'), 1);
    }
};

QTEST_GUILESS_MAIN(TestCommandExecutor)
#include "tst_command_executor.moc"
