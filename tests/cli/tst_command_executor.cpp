#include "cli/CommandExecutor.h"
#include "cli/NodePath.h"
#include "instance/InstanceClient.h"
#include "instance/InstanceElection.h"
#include "instance/InstanceServer.h"
#include "instance/SingleInstance.h"
#include "library/ShellStore.h"
#include "run/RunController.h"
#include "run/ShellRunner.h"
#include "settings/Preferences.h"

#include "FakeTerminalBackEnd.h"
#include "TestNodes.h"
#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <future>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    ShellNode node = TestNodes::createdAt(TestNodes::bare(fixed(n), kind, name), 700000000);
    node.filePath = std::move(path);
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
// Opens a named pipe for writing when a test would otherwise wait on it
// forever, so that a reader stuck in open() fails the test instead of hanging it.
class PipeUnblocker
{
public:
    explicit PipeUnblocker(const QString &pipe)
    {
        if (pipe.isEmpty())
            return;
        m_thread = std::thread([this, path = QFile::encodeName(pipe)] {
            if (m_done.get_future().wait_for(3s) == std::future_status::ready)
                return;
            m_unblocked = true;
            const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                (void)!::write(fd, "#!", 2);
                ::close(fd);
            }
        });
    }
    ~PipeUnblocker()
    {
        if (m_thread.joinable()) {
            m_done.set_value();
            m_thread.join();
        }
    }
    bool hadToUnblock() const { return m_unblocked; }

private:
    std::promise<void> m_done;
    std::atomic<bool> m_unblocked = false;
    std::thread m_thread;
};
// The JSON read back and laid out by QJsonDocument.
QString qtLayout(const QString &json)
{
    return qtJsonLayout(QJsonDocument::fromJson(json.toUtf8()));
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
        QCOMPARE(result.out, qtLayout(result.out));
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
            const QString json = command({QStringLiteral("profile"), QStringLiteral("list"),
                                          QStringLiteral("--json")})
                                     .out;
            QCOMPARE(json, qtLayout(json));
            QCOMPARE(QJsonDocument::fromJson(json.toUtf8())[2][QStringLiteral("current")], true);

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

    void unreadableDocumentFailsTheListing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("undecodable") << QStringLiteral("broken");
        QTest::newRow("a folder") << QStringLiteral("folder");
        QTest::newRow("a pipe") << QStringLiteral("fifo");
    }
    void unreadableDocumentFailsTheListing()
    {
        QFETCH(QString, kind);
        const QString document = m_store->currentProfile().path;
        QVERIFY(QFile::remove(document));
        if (kind == QStringLiteral("broken"))
            QVERIFY(m_home->write(QStringLiteral("home/Documents/FennickTallowBay/tallowBay.json"),
                                  "{ broken"));
        else if (kind == QStringLiteral("folder"))
            QVERIFY(QDir().mkdir(document));
        else
            QCOMPARE(::mkfifo(QFile::encodeName(document).constData(), 0600), 0);
        PipeUnblocker unblocker(kind == QStringLiteral("fifo") ? document : QString());
        m_store->load();
        // An empty listing would look like an empty library to a script.
        const Result result = command({QStringLiteral("list")});
        QCOMPARE(result.status, 1);
        QCOMPARE(result.out, QString());
        QVERIFY2(result.err.startsWith(QStringLiteral("orlenta: ")), qPrintable(result.err));
        QCOMPARE(result.err.count(u'\n'), 1);
        QVERIFY(!unblocker.hadToUnblock());
    }

    // In this process, as the command line runs it when no app is running:
    // the store's own line and the command's would say the same thing twice.
    void failedSaveIsOneLineAndNoSuccess_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("mkdir") << QStringList{QStringLiteral("mkdir"), QStringLiteral("Ops")};
        QTest::newRow("add") << QStringList{QStringLiteral("add"), QStringLiteral("bin/noext")};
        QTest::newRow("import") << QStringList{QStringLiteral("import"),
                                               QStringLiteral("bin/tools")};
        QTest::newRow("rename") << QStringList{QStringLiteral("rename"), QStringLiteral("x"),
                                               QStringLiteral("y")};
    }
    void failedSaveIsOneLineAndNoSuccess()
    {
        QFETCH(QStringList, arguments);
        const QStringList before = summary(*m_store);
        // Something that cannot be replaced by a file takes the document's place.
        const QString document = m_store->currentProfile().path;
        QVERIFY(QFile::remove(document));
        QVERIFY(QDir().mkpath(document + QStringLiteral("/blocked")));
        Result result;
        const InstanceElection::Streams streams{[&](const QString &t) { result.out += t; },
                                                [&](const QString &t) { result.err += t; }};
        result.status = InstanceElection::carryOutInProcess(*CommandLine::parse(arguments).command,
                                                            streams, *m_store, *m_runs);
        QCOMPARE(result.status, 1);
        QCOMPARE(result.out, QString()); // a script reading an id would think the node exists
        QVERIFY2(result.err.startsWith(QStringLiteral("orlenta: could not save ") + document),
                 qPrintable(result.err));
        QCOMPARE(result.err.count(u'\n'), 1);
        // As reported: the change is not in the app, and the next save, of
        // another command, does not write it after all.
        QCOMPARE(summary(*m_store), before);
        QVERIFY(QDir(document).removeRecursively());
        QCOMPARE(command({QStringLiteral("publish")}).status, 0);
        QStringList published = before;
        published[0] = QStringLiteral("published");
        ShellStore again(*m_preferences, m_home->locations());
        QCOMPARE(summary(again), published);
    }

    // A command while the current document's disk is not mounted fails,
    // whether the app or the command's own process carries it out, and the
    // profile is kept for when the disk is back.
    void documentOnADiskThatIsNotMounted()
    {
        QVERIFY(m_home->write(QStringLiteral("usb/lib/tallowBay.json"),
                              R"({"isPublished": true, "roots": []})"));
        QCOMPARE(command({QStringLiteral("profile"), QStringLiteral("open"),
                          m_home->filePath(QStringLiteral("usb/lib/tallowBay.json"))})
                     .status,
                 0);
        const QString folder = m_home->filePath(QStringLiteral("usb/lib"));
        QVERIFY(QDir(folder).removeRecursively());
        const QByteArray local =
            m_home->read(QStringLiteral("home/Documents/FennickTallowBay/tallowBay.json"));
        const QString line =
            QStringLiteral("is not reachable: its folder %1 is missing").arg(folder);
        for (const bool throughInstance : {true, false}) {
            if (throughInstance) {
                startInstance();
            } else {
                m_instance.reset();
                // A process of its own starts from the preferences.
                m_executor.reset();
                m_store = std::make_unique<ShellStore>(*m_preferences, m_home->locations());
                m_store->setLineSink([](const QString &) {});
                m_executor = std::make_unique<CommandExecutor>(*m_store, *m_runs);
            }
            for (const QStringList &arguments :
                 {QStringList{QStringLiteral("list")},
                  QStringList{QStringLiteral("mkdir"), QStringLiteral("Ops")}}) {
                const Result result = command(arguments);
                QCOMPARE(result.status, 1);
                QCOMPARE(result.out, QString());
                QVERIFY2(result.err.contains(line), qPrintable(result.err));
            }
            const QString profiles =
                command({QStringLiteral("profile"), QStringLiteral("list")}).out;
            QVERIFY2(profiles.contains(QStringLiteral("\tlib\t") + folder +
                                       QStringLiteral("/tallowBay.json\tcurrent\tnot reachable\n")),
                     qPrintable(profiles));
            QCOMPARE(m_store->currentProfile().name, QStringLiteral("lib"));
        }
        QVERIFY(!QFileInfo::exists(folder));
        QCOMPARE(m_home->read(QStringLiteral("home/Documents/FennickTallowBay/tallowBay.json")),
                 local);

        QVERIFY(m_home->write(QStringLiteral("usb/lib/tallowBay.json"),
                              R"({"isPublished": true, "roots": []})"));
        QCOMPARE(command({QStringLiteral("mkdir"), QStringLiteral("Ops")}).status, 0);
        QCOMPARE(summary(*m_store),
                 (QStringList{QStringLiteral("published"), QStringLiteral("Ops|folder")}));
    }

    void blankFolderNameIsTheDefault()
    {
        for (const QString &blank : {QStringLiteral("   "), QStringLiteral("\t"), QString()}) {
            const Result result = command({QStringLiteral("mkdir"), blank});
            QCOMPARE(result.status, 0);
            QVERIFY2(QRegularExpression(QStringLiteral("^文件夹\\d{12}\\t[0-9A-F-]{36}\\n$"))
                         .match(result.out)
                         .hasMatch(),
                     qPrintable(result.out));
        }
    }

    // A file that only looks like one (a named pipe) is never opened: reading
    // it would wait for a writer that never comes.
    void pipesAreNeverOpened()
    {
        const QString pipe = bin(QStringLiteral("pipe"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        {
            PipeUnblocker unblocker(pipe);
            const Result result = command({QStringLiteral("add"), QStringLiteral("bin/pipe")});
            QCOMPARE(result.status, 2);
            QVERIFY2(result.err.contains(QStringLiteral("not a regular file")),
                     qPrintable(result.err));
            QVERIFY(!unblocker.hadToUnblock());
        }
        {
            PipeUnblocker unblocker(pipe);
            const Result result =
                command({QStringLiteral("profile"), QStringLiteral("open"), pipe});
            QCOMPARE(result.status, 2);
            QVERIFY(!unblocker.hadToUnblock());
        }
        // The document itself a pipe: the first save of a session keeps a
        // backup copy of the document, which must not read the pipe.
        const QString document = m_store->currentProfile().path;
        QVERIFY(QFile::remove(document));
        QCOMPARE(::mkfifo(QFile::encodeName(document).constData(), 0600), 0);
        PipeUnblocker unblocker(document);
        ShellStore fresh(*m_preferences, m_home->locations());
        fresh.setLineSink([](const QString &) {});
        const InstanceElection::Streams quiet{[](const QString &) {}, [](const QString &) {}};
        InstanceElection::carryOutInProcess(
            *CommandLine::parse({QStringLiteral("mkdir"), QStringLiteral("Ops")}).command, quiet,
            fresh, *m_runs);
        QVERIFY(!unblocker.hadToUnblock());
    }

    // Names come from documents that others may write (a shared or synced
    // folder): none may reach the terminal as a control sequence.
    void controlCharactersAreEscaped_data()
    {
        QTest::addColumn<bool>("throughInstance");
        QTest::addColumn<QString>("name");
        const QList<std::pair<const char *, QString>> names{
            {"escape sequence", QStringLiteral("a\x1b[2J\x1b]0;owned\x07")},
            {"carriage return", QStringLiteral("safe\rrm -rf")},
            {"backspace and delete", QStringLiteral("x\x08\x7f")},
            {"eight-bit CSI", QStringLiteral("x\u009b31m")},
            {"null", QString(QChar(0)) + QStringLiteral("z")},
            {"line break and tab", QStringLiteral("a\nb\tc")},
        };
        for (const bool instance : {false, true})
            for (const auto &[tag, name] : names)
                QTest::addRow("%s %s", instance ? "instance" : "here", tag) << instance << name;
    }
    void controlCharactersAreEscaped()
    {
        QFETCH(bool, throughInstance);
        QFETCH(QString, name);
        const auto raw = [](const QString &text) {
            return std::count_if(text.cbegin(), text.cend(), [](QChar c) {
                return c.category() == QChar::Other_Control && c != u'\n' && c != u'\t';
            });
        };
        m_store->rename(fixed(6), name);
        ShellNode *deploy = nullptr;
        QList<ShellNode> roots = m_store->roots();
        deploy = &(*roots[0].children)[0];
        deploy->args = QStringList{QStringLiteral("--to=") + name};
        deploy->filePath = bin(name + QStringLiteral(".sh"));
        m_store->setRoots(roots);
        if (throughInstance)
            startInstance();

        const Result listing = command({QStringLiteral("list")});
        QCOMPARE(listing.status, 0);
        QCOMPARE(raw(listing.out), 0);
        QCOMPARE(listing.out.count(u'\n'), 6);
        const Result json = command({QStringLiteral("list"), QStringLiteral("--json")});
        QCOMPARE(raw(json.out), 0);
        QCOMPARE(json.out, qtLayout(json.out));
        const QJsonArray nodes =
            QJsonDocument::fromJson(json.out.toUtf8()).object()[QStringLiteral("nodes")].toArray();
        QCOMPARE(nodes[2][QStringLiteral("name")].toString(), name);

        // The printed path names the node again.
        const QString path = listing.out.split(u'\n')[5].section(u'\t', 0, 0);
        QCOMPARE(command({QStringLiteral("rename"), path, QStringLiteral("plain")}).status, 0);
        QCOMPARE(Forest::first(m_store->roots(), fixed(6))->name, QStringLiteral("plain"));

        // The run log names the script, its folder and its preset.
        const Result run = command({QStringLiteral("run"), QStringLiteral("Tools/deploy"),
                                    QStringLiteral("--preset"), QStringLiteral("1")});
        QVERIFY(run.out.contains(QStringLiteral("--to=")));
        QCOMPARE(raw(run.out), 0);
        QCOMPARE(raw(run.err), 0);
    }

    // One answer may be far larger than any request.
    void largeListingThroughTheInstance()
    {
        QList<ShellNode> roots;
        for (int n = 1; n <= 9; ++n)
            roots.append(node(n, NodeKind::folder, QString(2 * 1024 * 1024, QChar(u'a' + n))));
        m_store->setRoots(roots);
        const Result here = command({QStringLiteral("list")});
        QCOMPARE(here.status, 0);
        QVERIFY(here.out.toUtf8().size() > 17 * 1024 * 1024);
        startInstance();
        const Result there = command({QStringLiteral("list")});
        QCOMPARE(there.err, QString());
        QCOMPARE(there.status, 0);
        QVERIFY(there.out == here.out);
    }

    // The id column must not cost a walk of the whole forest per node.
    void listingTenThousandNodes()
    {
        QList<ShellNode> roots;
        for (int f = 0; f < 100; ++f) {
            ShellNode folder = node(1, NodeKind::folder, QStringLiteral("f%1").arg(f));
            folder.id = QUuid::createUuid();
            folder.children = QList<ShellNode>();
            for (int s = 0; s < 99; ++s) {
                ShellNode script = node(2, NodeKind::script, QStringLiteral("s%1").arg(s),
                                        bin(QStringLiteral("x.sh")));
                script.id = QUuid::createUuid();
                folder.children->append(script);
            }
            roots.append(folder);
        }
        // Ids that share long prefixes need long short ids.
        roots[0].id = QUuid::fromString(QStringLiteral("ABCDEF01-2345-6789-0000-000000000001"));
        roots[1].id = QUuid::fromString(QStringLiteral("ABCDEF01-2345-6789-0000-000000000002"));
        m_store->setRoots(roots);
        QElapsedTimer timer;
        timer.start();
        const Result result = command({QStringLiteral("list")});
        const qint64 elapsed = timer.elapsed();
        QCOMPARE(result.status, 0);
        const QStringList lines = result.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 10000);
        // Generous for a loaded machine or a sanitizer build (10 and 70 ms);
        // a walk of the forest per node takes seconds even with cheap ids.
        QVERIFY2(elapsed < 500, qPrintable(QString::number(elapsed)));
        QCOMPARE(lines[0].section(u'\t', 2, 2),
                 QStringLiteral("ABCDEF01-2345-6789-0000-000000000001"));
        for (int i = 0; i < 10000; i += 997) {
            const QString path = lines[i].section(u'\t', 0, 0);
            const std::optional<ShellNode> byPath = NodePath::resolve(m_store->roots(), path).node;
            QVERIFY(byPath);
            QCOMPARE(lines[i].section(u'\t', 2, 2),
                     NodePath::uniquePrefix(m_store->roots(), byPath->id));
        }
    }
};

QTEST_GUILESS_MAIN(TestCommandExecutor)
#include "tst_command_executor.moc"
