// The hand-over with real processes: a fake AppleScript runner and fake
// terminal emulators, written into a temporary folder.
#include "TestSupport.h"

#include "TestNodes.h"
#include "language/LanguageManager.h"
#include "run/AppleScriptBackEnd.h"
#include "run/LinuxTerminalBackEnd.h"
#include "run/ShellRunner.h"
#include "run/TerminalCatalogue.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <signal.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {
QString L(const QString &key, const QStringList &args = {})
{
    return LanguageManager::localized(key, args);
}

#if defined(Q_OS_MACOS)
const QString tab1 =
    u"⚠️ 新建标签页失败（通常是因为 Orlenta 未在「系统设置 › 隐私与安全性 › 辅助功能」中获授权）。\n"_s;
const QString tab3 = u"如需真正的新标签页，请到上述设置中允许 Orlenta 控制电脑，然后重试。\n"_s;
const QString askAutomation =
    u"请到「系统设置 › 隐私与安全性 › 自动化」中允许本 App 控制「Terminal」。\n"_s;
#else
const QString tab1 =
    u"⚠️ 新建标签页失败（该终端可能不支持从外部新建标签页，或没有在运行）。\n"_s;
const QString tab3 = u"如需真正的新标签页，请按 README 中该终端的说明设置后重试。\n"_s;
const QString askAutomation =
    u"请确认所选终端已安装，并能在当前桌面会话中启动（设置 › 运行）。\n"_s;
#endif
const QString tab2 = u"已自动回退为「新开窗口」运行。\n"_s;

QStringList tabFailure()
{
    return {L(tab1), L(tab2), L(tab3)};
}

QStringList openFailure(const QString &error)
{
    return {u'\n' + ShellRunner::openFailedLine(error) + u'\n', L(askAutomation)};
}

struct Behaviour
{
    int exit = 0;
    QByteArray out;
    QByteArray err;
};

} // namespace

Q_DECLARE_METATYPE(Behaviour)
Q_DECLARE_METATYPE(RunForm)

namespace {
struct Outcome
{
    QStringList chunks;
    QList<int> statuses;
};

bool writeScript(const QString &path, const QByteArray &body)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("#!/bin/sh\n" + body);
    file.close();
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool writePlain(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray respond(const Behaviour &b)
{
    return "printf '%s' '" + b.out + "'; printf '%s' '" + b.err + "' >&2; exit " +
           QByteArray::number(b.exit) + ";;\n";
}

QStringList readNulSeparated(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList items = QString::fromUtf8(file.readAll()).split(u'\0');
    if (!items.isEmpty() && items.last().isEmpty())
        items.removeLast();
    return items;
}

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    lines.sort();
    return lines;
}

ShellNode script(std::optional<QString> path)
{
    return TestNodes::script(QUuid(), u"x"_s, std::move(path));
}

// A text of pieces that quoting gets wrong: quotes, backslashes, command
// substitution, line breaks, tabs, leading dashes, glob and shell characters,
// and text beyond ASCII.
QString hostileText(QRandomGenerator &random, int maximum)
{
    static const QStringList pieces{
        u"'"_s,  u"\""_s, u"\\"_s, u"$("_s, u")"_s, u"`"_s,    u"$HOME"_s, u"${x}"_s, u"\n"_s,
        u"\t"_s, u" "_s,  u"-"_s,  u"--"_s, u"*"_s, u"?"_s,    u";"_s,     u"&&"_s,   u"|"_s,
        u"!"_s,  u"~"_s,  u"#"_s,  u"%"_s,  u"é"_s, u"中文"_s, u"😀"_s,     u"a"_s,    u"Z9"_s};
    QString text;
    const int count = random.bounded(1, maximum + 1);
    for (int i = 0; i < count; ++i)
        text += pieces[random.bounded(int(pieces.size()))];
    return text;
}

// A word quoted the way a user would type it: in double quotes, with the
// four characters special there escaped. Independent of the code under test.
QString typed(const QString &word)
{
    QString out = u"\""_s;
    for (const QChar c : word) {
        if (c == u'"' || c == u'\\' || c == u'$' || c == u'`')
            out += u'\\';
        out += c;
    }
    return out + u'"';
}

// The string of an AppleScript string literal that starts at from (just
// after its opening quote), undoing the escapes AppleScript knows. Empty when
// the literal does not end exactly at the end of the text.
std::optional<QString> appleScriptString(const QString &source, qsizetype from)
{
    QString out;
    for (qsizetype i = from; i < source.size(); ++i) {
        const QChar c = source[i];
        if (c == u'"')
            return i + 1 == source.size() ? std::optional<QString>(out) : std::nullopt;
        if (c == u'\\') {
            if (++i == source.size())
                return std::nullopt;
            const QChar e = source[i];
            out += e == u'n' ? u'\n' : e == u't' ? u'\t' : e == u'r' ? u'\r' : e;
            continue;
        }
        out += c;
    }
    return std::nullopt;
}

// A stand-in terminal's way to its command: skip the words before it, then
// run it as the terminal would (the command creates the marker that tells a
// hand-over has arrived).
QByteArray runs(int skip)
{
    return "shift " + QByteArray::number(skip) + "\n\"$@\" </dev/null >/dev/null 2>&1\n";
}

// The command a stand-in was given, without its marker (a path of the run).
QStringList withoutMarker(QStringList words)
{
    if (!words.isEmpty() && words.last().contains(u"/orlenta-runs-"_s))
        words.removeLast();
    return words;
}

QString startFailureDescription(const QString &program)
{
    QProcess process;
    process.start(program, {});
    process.waitForStarted();
    return process.errorString();
}
} // namespace

class TestShellRunner : public QObject
{
    Q_OBJECT
private:
    Outcome handOver(ShellRunner &runner, const ShellNode &node, std::optional<QString> arg = {})
    {
        auto outcome = std::make_shared<Outcome>();
        runner.openInTerminal(
            node, arg, [outcome](const QString &chunk) { outcome->chunks << chunk; },
            [outcome](int status) { outcome->statuses << status; });
        if (!QTest::qWaitFor([&] { return !outcome->statuses.isEmpty(); }, 20000))
            qWarning("no status after 20 s");
        QTest::qWait(150); // a second status would arrive here
        return *outcome;
    }

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<Preferences> m_preferences;

private Q_SLOTS:
    void init();

    void appleScript_data();
    void appleScript();
    void missingPath_data();
    void missingPath();
    void largeRunnerOutput();

    void terminalAttached();
    void terminalHanging();
    void terminalDetached();
    void terminalFailingAtOnce_data();
    void terminalFailingAtOnce();
    void terminalAcceptedWhenTheCommandStarts();
    void everyTerminalThatFailsSaysSo_data();
    void everyTerminalThatFailsSaysSo();
    void konsoleTabThroughItsBus_data();
    void konsoleTabThroughItsBus();
    void refusedBeforeAnyHandOver();
    void terminalNotFound();
    void terminalWithoutTabs();
    void terminalTabFailsThenWindow();
    void terminalPreferenceFollowedAtOnce();
    void gnomeTabGoesToTheNewestWindow();
    void kittyTabUsesItsSocket();
    void randomTextsReachTheScript();

private:
    struct Linux
    {
        LinuxTerminalBackEnd *backEnd;
        std::unique_ptr<ShellRunner> runner;
        QString bin;
    };
    Linux linuxRunner(const QString &terminal, bool running);
    QString m_scriptPath;
};

void TestShellRunner::init()
{
    // A launcher that ends at once must not leave Qt polling a closed pidfd.
    QTest::failOnWarning(QRegularExpression(u"QSocketNotifier"_s));
    m_home = std::make_unique<TestHome>();
    QVERIFY(m_home->isValid());
    m_preferences = std::make_unique<Preferences>(m_home->preferencesFile());
    QVERIFY(QDir().mkpath(m_home->filePath(u"bin"_s)));
    QVERIFY(QDir().mkpath(m_home->filePath(u"My Scripts"_s)));
    m_scriptPath = m_home->filePath(u"My Scripts/deploy.sh"_s);
    QVERIFY(writeScript(m_scriptPath,
                        "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$REPORT\"\n"));
}

void TestShellRunner::appleScript_data()
{
    QTest::addColumn<bool>("running");
    QTest::addColumn<std::optional<QString>>("mode");
    QTest::addColumn<bool>("runnerExists");
    QTest::addColumn<Behaviour>("tab");
    QTest::addColumn<Behaviour>("window");
    QTest::addColumn<QStringList>("expected"); // after the two opening chunks
    QTest::addColumn<int>("status");
    QTest::addColumn<QList<RunForm>>("forms");

    const QString windowMode = ShellRunner::modeLine(RunForm::newWindow);
    const QString tabMode = ShellRunner::modeLine(RunForm::newTab);
    const QString reuseMode = ShellRunner::modeLine(RunForm::reuse);
    const std::optional<QString> none;
    const std::optional<QString> tab(u"tab"_s);
    const QString denied = u"execution error: Not authorised to send Apple events (-1743)"_s;
    const QString missing = startFailureDescription(u"/nonexistent/osascript"_s);
    const QString startFailed = L(u"启动失败：%@\n"_s, {missing});

    QTest::newRow("window, success")
        << true << none << true << Behaviour{} << Behaviour{0, "tab 1 of window id 7", ""}
        << QStringList{windowMode, L(u"诊断：%@\n"_s, {u"tab 1 of window id 7"_s})} << 0
        << QList<RunForm>{RunForm::newWindow};
    QTest::newRow("window, refused") << true << std::optional<QString>(u"window"_s) << true
                                     << Behaviour{} << Behaviour{1, "", denied.toUtf8() + "\n"}
                                     << (QStringList{windowMode} + openFailure(denied)) << 1
                                     << QList<RunForm>{RunForm::newWindow};
    QTest::newRow("tab while not running: reuse, failing without text")
        << false << tab << true << Behaviour{} << Behaviour{1, "", ""}
        << (QStringList{reuseMode} + openFailure(QString())) << 1 << QList<RunForm>{RunForm::reuse};
    QTest::newRow("tab, success") << true << tab << true << Behaviour{} << Behaviour{9, "", ""}
                                  << QStringList{tabMode} << 0 << QList<RunForm>{RunForm::newTab};
    QTest::newRow("tab fails, window succeeds")
        << true << tab << true << Behaviour{1, "", "System Events got an error\n"}
        << Behaviour{0, " ok \n", ""}
        << (QStringList{tabMode} + tabFailure() +
            QStringList{L(u"原始错误：%@\n"_s, {u"System Events got an error"_s}),
                        L(u"诊断：%@\n"_s, {u"ok"_s})})
        << 0 << QList<RunForm>{RunForm::newTab, RunForm::newWindow};
    QTest::newRow("tab fails, window fails too")
        << true << tab << true << Behaviour{1, "tab said", ""} << Behaviour{2, "", "boom"}
        << (QStringList{tabMode, L(u"诊断：%@\n"_s, {u"tab said"_s})} + tabFailure()) << 2
        << QList<RunForm>{RunForm::newTab, RunForm::newWindow};
    QTest::newRow("runner missing, window")
        << true << none << false << Behaviour{} << Behaviour{}
        << (QStringList{windowMode, startFailed} + openFailure(missing)) << 1 << QList<RunForm>{};
    QTest::newRow("runner missing, tab")
        << true << tab << false << Behaviour{} << Behaviour{}
        << (QStringList{tabMode, startFailed} + tabFailure() +
            QStringList{L(u"原始错误：%@\n"_s, {missing}), startFailed})
        << 1 << QList<RunForm>{};
}

void TestShellRunner::appleScript()
{
    QFETCH(bool, running);
    QFETCH(std::optional<QString>, mode);
    QFETCH(bool, runnerExists);
    QFETCH(Behaviour, tab);
    QFETCH(Behaviour, window);
    QFETCH(QStringList, expected);
    QFETCH(int, status);
    QFETCH(QList<RunForm>, forms);

    if (mode)
        m_preferences->setString(PreferenceKeys::runMode.key, *mode);
    const QString calls = m_home->filePath(u"calls"_s);
    QString runnerPath = u"/nonexistent/osascript"_s;
    if (runnerExists) {
        runnerPath = m_home->filePath(u"bin/osascript"_s);
        QVERIFY(writeScript(runnerPath, "printf '%s\\0%s\\0' \"$1\" \"$2\" >> '" + calls.toUtf8() +
                                            "'\ncase \"$2\" in\n*keystroke*) " + respond(tab) +
                                            "*) " + respond(window) + "esac\n"));
    }
    ShellRunner runner(
        std::make_unique<AppleScriptBackEnd>(runnerPath, [running] { return running; }),
        m_preferences.get());

    const Outcome outcome = handOver(runner, script(m_scriptPath), u"--force \"a b\""_s);
    const HandOverText text = HandOverText::build(m_scriptPath, u"--force \"a b\""_s);
    QCOMPARE(outcome.statuses, QList<int>{status});
    QCOMPARE(outcome.chunks,
             (QStringList{ShellRunner::handedOverLine(), text.echoLine} + expected));

    QStringList expectedCalls;
    for (RunForm form : forms)
        expectedCalls << u"-e"_s << ShellRunner::appleScript(form, text.doScriptLine);
    QCOMPARE(readNulSeparated(calls), expectedCalls);
}

void TestShellRunner::missingPath_data()
{
    QTest::addColumn<std::optional<QString>>("path");
    QTest::newRow("absent") << std::optional<QString>();
    QTest::newRow("empty") << std::optional<QString>(QString());
}

void TestShellRunner::missingPath()
{
    QFETCH(std::optional<QString>, path);
    const QString runnerPath = m_home->filePath(u"bin/osascript"_s);
    const QString calls = m_home->filePath(u"calls"_s);
    QVERIFY(writeScript(runnerPath, "echo called > '" + calls.toUtf8() + "'\n"));
    ShellRunner runner(std::make_unique<AppleScriptBackEnd>(runnerPath, [] { return true; }),
                       m_preferences.get());
    const Outcome outcome = handOver(runner, script(path));
    QCOMPARE(outcome.statuses, QList<int>{1});
    QCOMPARE(outcome.chunks, QStringList{L(u"错误：脚本路径为空"_s) + u'\n'});
    QVERIFY(!QFile::exists(calls));
}

// Far more than a pipe holds: the runner must not block on a full pipe.
void TestShellRunner::largeRunnerOutput()
{
    const QString runnerPath = m_home->filePath(u"bin/osascript"_s);
    QVERIFY(writeScript(runnerPath, "head -c 3000000 /dev/zero | tr '\\000' x\n"
                                    "head -c 3000000 /dev/zero | tr '\\000' y >&2\nexit 0\n"));
    ShellRunner runner(std::make_unique<AppleScriptBackEnd>(runnerPath, [] { return true; }),
                       m_preferences.get());
    const Outcome outcome = handOver(runner, script(m_scriptPath));
    QCOMPARE(outcome.statuses, QList<int>{0});
    QCOMPARE(outcome.chunks.last(), L(u"诊断：%@\n"_s, {QString(3000000, u'x')}));
}

TestShellRunner::Linux TestShellRunner::linuxRunner(const QString &terminal, bool running)
{
    Linux result;
    result.bin = m_home->filePath(u"bin"_s);
    auto backEnd = std::make_unique<LinuxTerminalBackEnd>(m_preferences.get());
    QProcessEnvironment environment;
    environment.insert(u"PATH"_s, result.bin); // never a real terminal
    environment.insert(u"SHELL"_s, u"/bin/true"_s);
    environment.insert(u"REPORT"_s, m_home->filePath(u"report"_s));
    environment.insert(u"HOME"_s, m_home->path());
    environment.insert(u"DISPLAY"_s, u":99"_s); // never reached: the terminals are stand-ins
    environment.insert(u"XDG_RUNTIME_DIR"_s, m_home->filePath(u"run"_s));
    QDir().mkpath(m_home->filePath(u"run"_s));
    backEnd->setEnvironment(environment);
    backEnd->setGracePeriod(3000);
    backEnd->setRunningCheck([running](const QStringList &) { return running; });
    result.backEnd = backEnd.get();
    m_preferences->setString(PreferenceKeys::terminal.key, terminal);
    result.runner = std::make_unique<ShellRunner>(std::move(backEnd), m_preferences.get());
    return result;
}

// gnome-terminal's client hands over and exits; here it also runs what it
// was given, as the server would, so the whole way to the script is checked.
void TestShellRunner::terminalAttached()
{
    Linux term = linuxRunner(u"gnome-terminal"_s, true);
    const QString args = m_home->filePath(u"args"_s);
    QVERIFY(writeScript(term.bin + u"/gnome-terminal"_s,
                        "printf '%s\\0' \"$@\" > '" + args.toUtf8() +
                            "'\nshift 2\n\"$@\" </dev/null >/dev/null 2>&1\necho window 3\n"));

    const QString arg = u"--force \"a b\" 'it''s' c\\d"_s;
    const Outcome outcome = handOver(*term.runner, script(m_scriptPath), arg);
    QCOMPARE(outcome.statuses, QList<int>{0});
    QCOMPARE(outcome.chunks.mid(2), (QStringList{ShellRunner::modeLine(RunForm::newWindow),
                                                 L(u"诊断：%@\n"_s, {u"window 3"_s})}));
    const HandOverText text = HandOverText::build(m_scriptPath, arg);
    QCOMPARE(
        withoutMarker(readNulSeparated(args)),
        (QStringList{u"--window"_s, u"--"_s} + TerminalCatalogue::command(text, u"/bin/true"_s)));
    QCOMPARE(readNulSeparated(m_home->filePath(u"report"_s)),
             (QStringList{u"--force"_s, u"a b"_s, u"its"_s, u"cd"_s}));
}

void TestShellRunner::terminalHanging()
{
    Linux term = linuxRunner(u"gnome-terminal"_s, true);
    term.backEnd->setTimeout(1000);
    const QString pidFile = m_home->filePath(u"pid"_s);
    QVERIFY(writeScript(term.bin + u"/gnome-terminal"_s,
                        "echo $$ > '" + pidFile.toUtf8() + "'\nexec /bin/sleep 30\n"));
    const Outcome outcome = handOver(*term.runner, script(m_scriptPath));
    QCOMPARE(outcome.statuses, QList<int>{124});
    QCOMPARE(outcome.chunks.mid(3),
             openFailure(L(u"%@ 没有在 %@ 秒内响应"_s, {u"gnome-terminal"_s, u"1"_s})));
    QFile file(pidFile);
    if (file.open(QIODevice::ReadOnly)) { // a loaded machine may not have got that far
        const pid_t pid = file.readAll().trimmed().toInt();
        QVERIFY(pid > 0);
        QTRY_VERIFY_WITH_TIMEOUT(::kill(pid, 0) != 0, 5000); // killed and reaped
    }
}

// xterm stays in the foreground for as long as its window lives: accepted
// once started, long before it ends.
void TestShellRunner::terminalDetached()
{
    Linux term = linuxRunner(u"xterm"_s, false);
    const QString args = m_home->filePath(u"args"_s);
    QVERIFY(writeScript(term.bin + u"/xterm"_s, "printf '%s\\0' \"$@\" > '" + args.toUtf8() +
                                                    "'\n" + runs(1) + "exec /bin/sleep 3\n"));
    QElapsedTimer timer;
    timer.start();
    const Outcome outcome = handOver(*term.runner, script(m_scriptPath));
    QCOMPARE(outcome.statuses, QList<int>{0});
    QVERIFY(timer.elapsed() < 2500);
    QCOMPARE(outcome.chunks.mid(2), QStringList{ShellRunner::modeLine(RunForm::reuse)});
    const HandOverText text = HandOverText::build(m_scriptPath, std::nullopt);
    QTRY_COMPARE(withoutMarker(readNulSeparated(args)),
                 QStringList{u"-e"_s} + TerminalCatalogue::command(text, u"/bin/true"_s));
}

// A terminal started in the background that ends with an error at once has
// not taken the run: its status and first error line are the report, and a
// failed tab falls back to a window as any failure does.
void TestShellRunner::terminalFailingAtOnce_data()
{
    QTest::addColumn<QString>("terminal");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("expected"); // after the opening chunks and the mode line

    QTest::newRow("no display")
        << u"xterm"_s << u"window"_s
        << QByteArray("echo \"xterm: Xt error: Can't open display: :99\" >&2\n"
                      "echo 'second line' >&2\nexit 1\n")
        << 1
        << openFailure(L(u"%@ 启动后随即退出，状态 %@：%@"_s,
                         {u"xterm"_s, u"1"_s, u"xterm: Xt error: Can't open display: :99"_s}));
    QTest::newRow("crashed without a word")
        << u"xterm"_s << u"window"_s << QByteArray("kill -ABRT $$\n") << 134
        << openFailure(L(u"%@ 启动后随即退出，状态 %@"_s, {u"xterm"_s, u"134"_s}));
    QTest::newRow("tab refused, window taken")
        << u"mate-terminal"_s << u"tab"_s
        << QByteArray("[ \"$1\" = --tab ] && { echo 'no window to add a tab to' >&2; exit 2; }\n" +
                      runs(2))
        << 0
        << (tabFailure() +
            QStringList{L(u"原始错误：%@\n"_s,
                          {L(u"%@ 启动后随即退出，状态 %@：%@"_s,
                             {u"mate-terminal"_s, u"2"_s, u"no window to add a tab to"_s})})});
}

void TestShellRunner::terminalFailingAtOnce()
{
    QFETCH(QString, terminal);
    QFETCH(QString, mode);
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    QFETCH(QStringList, expected);
    m_preferences->setString(PreferenceKeys::runMode.key, mode);
    Linux term = linuxRunner(terminal, true);
    QVERIFY(writeScript(term.bin + u'/' + terminal, body));
    const Outcome outcome = handOver(*term.runner, script(m_scriptPath));
    QCOMPARE(outcome.statuses, QList<int>{status});
    QCOMPARE(outcome.chunks.mid(3), expected);
}

// Accepted as soon as the command has started, long before the grace period
// ends; one still running without it is accepted at its end; one that ends
// well without starting it (handed to nowhere) has failed.
void TestShellRunner::terminalAcceptedWhenTheCommandStarts()
{
    Linux term = linuxRunner(u"xterm"_s, false);
    term.backEnd->setGracePeriod(4000);
    QVERIFY(writeScript(term.bin + u"/xterm"_s, runs(1) + "exec /bin/sleep 5\n"));
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(handOver(*term.runner, script(m_scriptPath)).statuses, QList<int>{0});
    QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));

    term.backEnd->setGracePeriod(300);
    QVERIFY(writeScript(term.bin + u"/xterm"_s,
                        "echo 'Cannot create window' >&2\nexec /bin/sleep 2\n"));
    timer.restart();
    Outcome outcome = handOver(*term.runner, script(m_scriptPath));
    QCOMPARE(outcome.statuses, QList<int>{0});
    QVERIFY(timer.elapsed() >= 300);
    QCOMPARE(outcome.chunks.mid(3), QStringList{L(u"诊断：%@ 仍在运行，但还没有启动命令：%@\n"_s,
                                                  {u"xterm"_s, u"Cannot create window"_s})});

    QVERIFY(writeScript(term.bin + u"/xterm"_s, "exit 0\n"));
    outcome = handOver(*term.runner, script(m_scriptPath));
    QCOMPARE(outcome.statuses, QList<int>{1});
    QCOMPARE(outcome.chunks.mid(3),
             openFailure(L(u"%@ 没有在 %@ 秒内启动命令"_s, {u"xterm"_s, u"0.3"_s})));
}

// Every terminal of the catalogue that cannot start says so: one that ends
// with an error at once, one that ends well having started nothing (handed
// to nowhere), and kitty, whose helper process outlives a failed start.
void TestShellRunner::everyTerminalThatFailsSaysSo_data()
{
    QTest::addColumn<QString>("terminal");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("reason"); // what the failure line names
    QTest::addColumn<int>("graceMs");
    for (const QString &id : TerminalCatalogue::knownIDs()) {
        QTest::addRow("%s: error at once", qPrintable(id))
            << id << QByteArray("echo 'info: v1' >&2; echo 'cannot open display :99' >&2; exit 1\n")
            << u"cannot open display :99"_s << 3000;
        QTest::addRow("%s: ran nothing", qPrintable(id))
            << id << QByteArray("exit 0\n") << L(u"%@ 没有在 %@ 秒内启动命令"_s, {id, u"0.3"_s})
            << 300;
    }
    QTest::newRow("kitty: a helper stays, then it fails")
        << u"kitty"_s
        << QByteArray("/bin/sleep 3 & /bin/sleep 0.3\necho 'X11: Failed to open display' >&2\n"
                      "exit 1\n")
        << u"X11: Failed to open display"_s << 3000;
}

void TestShellRunner::everyTerminalThatFailsSaysSo()
{
    QFETCH(QString, terminal);
    QFETCH(QByteArray, body);
    QFETCH(QString, reason);
    QFETCH(int, graceMs);
    Linux term = linuxRunner(terminal, false);
    term.backEnd->setGracePeriod(graceMs);
    QVERIFY(writeScript(term.bin + u'/' + terminal, body));
    const Outcome outcome = handOver(*term.runner, script(m_scriptPath));
    QCOMPARE(outcome.statuses.size(), 1);
    QVERIFY(outcome.statuses.first() != 0);
    QCOMPARE(outcome.chunks.value(2), ShellRunner::modeLine(RunForm::reuse));
    QVERIFY2(outcome.chunks.value(3).startsWith(u'\n' + ShellRunner::openFailedLine({})) &&
                 outcome.chunks.value(3).contains(reason),
             qPrintable(outcome.chunks.value(3)));
    QCOMPARE(outcome.chunks.mid(4), QStringList{L(askAutomation)});
}

// konsole's and qterminal's tabs: the running instance's D-Bus interface,
// through stand-ins of dbus-send and gdbus that run what is typed as the
// tab's shell would. Without an instance on the bus, a window, and the log
// says why.
void TestShellRunner::konsoleTabThroughItsBus_data()
{
    QTest::addColumn<QString>("terminal");
    QTest::addColumn<bool>("onTheBus");
    QTest::addColumn<QStringList>("calls");
    const QString k = u"--dest=org.kde.konsole-700"_s;
    const QString q = u"--dest=org.lxqt.QTerminal-700"_s;
    QTest::newRow("konsole")
        << u"konsole"_s << true
        << QStringList{u"/Windows org.freedesktop.DBus.Introspectable.Introspect "_s + k,
                       u"/Windows/10 org.kde.konsole.Window.newSession "_s + k,
                       u"/Sessions/7 org.kde.konsole.Session.runCommand "_s + k};
    QTest::newRow("qterminal") << u"qterminal"_s << true
                               << QStringList{
                                      u"/ org.lxqt.QTerminal.Process.getWindows "_s + q,
                                      u"/windows/abc org.lxqt.QTerminal.Window.newTab "_s + q,
                                      u"/tabs/t1 org.lxqt.QTerminal.Tab.getActiveTerminal "_s + q,
                                      u"/terminals/x1 org.lxqt.QTerminal.Terminal.sendText "_s + q};
    QTest::newRow("konsole not on the bus")
        << u"konsole"_s << false
        << QStringList{u"/Windows org.freedesktop.DBus.Introspectable.Introspect "_s + k};
}

void TestShellRunner::konsoleTabThroughItsBus()
{
    QFETCH(QString, terminal);
    QFETCH(bool, onTheBus);
    QFETCH(QStringList, calls);
    m_preferences->setString(PreferenceKeys::runMode.key, u"tab"_s);
    Linux term = linuxRunner(terminal, true);
    const QString proc = m_home->filePath(u"proc"_s);
    QVERIFY(QDir().mkpath(proc + u"/700"_s));
    QVERIFY(writePlain(proc + u"/700/comm"_s, terminal.toUtf8() + '\n'));
    QVERIFY(writePlain(proc + u"/700/cmdline"_s, "/usr/bin/" + terminal.toUtf8() + '\0'));
    term.backEnd->setProcRoot(proc);

    const QByteArray log = m_home->filePath(u"calls"_s).toUtf8();
    const QByteArray run = "t=${6#string:}; /bin/sh -c \"$t\" </dev/null >/dev/null 2>&1 &;;\n";
    QVERIFY(writeScript(
        term.bin + u"/dbus-send"_s,
        "echo \"$4 $5 $3\" >> '" + log + "'\n" +
            (onTheBus ? QByteArray()
                      : "echo \"Error org.freedesktop.DBus.Error.ServiceUnknown: no $3\" >&2; "
                        "exit 1\n") +
            "case \"$5\" in\n"
            "*Introspect) echo '   string \"<node><node name=\"9\"/><node "
            "name=\"10\"/></node>\"';;\n"
            "*newSession) echo '   int32 7';;\n"
            "*getWindows) echo '   array [ object path \"/windows/abc\" ]';;\n"
            "*getActiveTerminal) echo '   object path \"/terminals/x1\"';;\n"
            "*runCommand|*sendText) " +
            run + "esac\n"));
    QVERIFY(writeScript(term.bin + u"/gdbus"_s, "echo \"$6 $8 --dest=$4\" >> '" + log +
                                                    "'\necho \"(objectpath '/tabs/t1',)\"\n"));
    QVERIFY(writeScript(term.bin + u'/' + terminal, runs(1))); // the window of the fallback

    const Outcome outcome = handOver(*term.runner, script(m_scriptPath), u"'a $HOME' \"it's\""_s);
    QCOMPARE(outcome.statuses, QList<int>{0});
    QStringList expected{ShellRunner::modeLine(RunForm::newTab)};
    if (!onTheBus)
        expected +=
            tabFailure() + QStringList{L(u"原始错误：%@\n"_s,
                                         {u"Error org.freedesktop.DBus.Error."
                                          "ServiceUnknown: no --dest=org.kde.konsole-700"_s})};
    QCOMPARE(outcome.chunks.mid(2), expected);
    QFile file(QString::fromUtf8(log));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts), calls);
    QTRY_COMPARE(readNulSeparated(m_home->filePath(u"report"_s)),
                 (QStringList{u"a $HOME"_s, u"it's"_s}));
}

// No graphical session, or a script file that has gone: said at once, and no
// terminal is started.
void TestShellRunner::refusedBeforeAnyHandOver()
{
    Linux term = linuxRunner(u"xterm"_s, true);
    const QString calls = m_home->filePath(u"calls"_s);
    QVERIFY(writeScript(term.bin + u"/xterm"_s, "echo called >> '" + calls.toUtf8() + "'\n"));
    const QString gone = m_home->filePath(u"My Scripts/gone.sh"_s);
    Outcome outcome = handOver(*term.runner, script(gone));
    QCOMPARE(outcome.statuses, QList<int>{1});
    QCOMPARE(outcome.chunks, QStringList{L(u"错误：脚本文件不存在：%@"_s, {gone}) + u'\n'});

    QProcessEnvironment environment;
    environment.insert(u"PATH"_s, term.bin);
    term.backEnd->setEnvironment(environment);
    outcome = handOver(*term.runner, script(m_scriptPath));
    QCOMPARE(outcome.statuses, QList<int>{1});
    QCOMPARE(
        outcome.chunks,
        QStringList{
            L(u"错误：没有图形会话（DISPLAY 和 WAYLAND_DISPLAY 都未设置），无法打开终端窗口"_s) +
            u'\n'});
    QVERIFY(!QFile::exists(calls));
}

void TestShellRunner::terminalNotFound()
{
    Linux term = linuxRunner(u"xterm"_s, true);
    const Outcome outcome = handOver(*term.runner, script(m_scriptPath));
    const QString error = L(u"找不到终端程序：%@"_s, {u"xterm"_s});
    QCOMPARE(outcome.statuses, QList<int>{1});
    QCOMPARE(outcome.chunks.mid(2),
             (QStringList{ShellRunner::modeLine(RunForm::reuse), L(u"启动失败：%@\n"_s, {error})} +
              openFailure(error)));
}

void TestShellRunner::terminalWithoutTabs()
{
    m_preferences->setString(PreferenceKeys::runMode.key, u"tab"_s);
    Linux term = linuxRunner(u"xterm"_s, true);
    const QString args = m_home->filePath(u"args"_s);
    QVERIFY(writeScript(term.bin + u"/xterm"_s,
                        "printf '%s\\0' \"$@\" > '" + args.toUtf8() + "'\n" + runs(1)));
    const Outcome outcome = handOver(*term.runner, script(m_scriptPath));
    QCOMPARE(outcome.statuses, QList<int>{0});
    QCOMPARE(
        outcome.chunks.mid(2),
        QStringList{ShellRunner::modeLine(RunForm::newTab)} + tabFailure() +
            QStringList{L(u"原始错误：%@\n"_s, {L(u"%@ 不支持从外部新建标签页"_s, {u"xterm"_s})})});
    QTRY_COMPARE(readNulSeparated(args).value(0), u"-e"_s); // the window fallback
}

void TestShellRunner::terminalTabFailsThenWindow()
{
    m_preferences->setString(PreferenceKeys::runMode.key, u"tab"_s);
    Linux term = linuxRunner(u"gnome-terminal"_s, true);
    const QString calls = m_home->filePath(u"calls"_s);
    QVERIFY(writeScript(term.bin + u"/gnome-terminal"_s,
                        "echo \"$1\" >> '" + calls.toUtf8() +
                            "'\n[ \"$1\" = --tab ] && { echo 'no window to add a tab to' >&2; "
                            "exit 1; }\n" +
                            runs(2)));
    const Outcome outcome = handOver(*term.runner, script(m_scriptPath));
    QCOMPARE(outcome.statuses, QList<int>{0});
    QCOMPARE(outcome.chunks.mid(2),
             QStringList{ShellRunner::modeLine(RunForm::newTab)} + tabFailure() +
                 QStringList{L(u"原始错误：%@\n"_s, {u"no window to add a tab to"_s})});
    QFile file(calls);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("--tab\n--window\n"));
}

void TestShellRunner::terminalPreferenceFollowedAtOnce()
{
    Linux term = linuxRunner(u"xterm"_s, true);
    const QString calls = m_home->filePath(u"calls"_s);
    for (const QString &name : {u"xterm"_s, u"gnome-terminal"_s})
        QVERIFY(writeScript(term.bin + u'/' + name, "echo " + name.toUtf8() + " >> '" +
                                                        calls.toUtf8() + "'\n" +
                                                        runs(name == u"xterm"_s ? 1 : 2)));
    QCOMPARE(handOver(*term.runner, script(m_scriptPath)).statuses, QList<int>{0});
    m_preferences->setString(PreferenceKeys::terminal.key, u"gnome-terminal"_s);
    QCOMPARE(handOver(*term.runner, script(m_scriptPath)).statuses, QList<int>{0});
    // The detached xterm may write after gnome-terminal on a loaded machine.
    QTRY_COMPARE(readLines(calls), (QStringList{u"gnome-terminal"_s, u"xterm"_s}));
}

// A /proc with a gnome-terminal-server and two shells in it; the newest
// names the window the tab goes to.
void TestShellRunner::gnomeTabGoesToTheNewestWindow()
{
    m_preferences->setString(PreferenceKeys::runMode.key, u"tab"_s);
    Linux term = linuxRunner(u"gnome-terminal"_s, true);
    term.backEnd->setRunningCheck({}); // the lookup in the fake /proc below
    const QString proc = m_home->filePath(u"proc"_s);
    auto addProcess = [&](int id, const QByteArray &comm, int parent, int startTime,
                          const QByteArray &environ) {
        const QString dir = proc + u'/' + QString::number(id);
        QVERIFY(QDir().mkpath(dir));
        QByteArray stat =
            QByteArray::number(id) + " (" + comm + ") S " + QByteArray::number(parent);
        for (int i = 0; i < 17; ++i)
            stat += " 0";
        stat += ' ' + QByteArray::number(startTime) + " 0 0\n";
        QVERIFY(writePlain(dir + u"/stat"_s, stat));
        QVERIFY(writePlain(dir + u"/comm"_s, comm + '\n'));
        QVERIFY(writePlain(dir + u"/environ"_s, environ));
    };
    addProcess(500, "gnome-terminal-", 1, 10, {});
    QVERIFY(writePlain(proc + u"/500/cmdline"_s,
                       QByteArray("/usr/libexec/gnome-terminal-server\0", 35)));
    addProcess(501, "bash", 500, 20,
               QByteArray("GNOME_TERMINAL_SERVICE=:1.7\0GNOME_TERMINAL_SCREEN=/s/old\0", 57));
    addProcess(502, "bash", 500, 30,
               QByteArray("GNOME_TERMINAL_SERVICE=:1.7\0GNOME_TERMINAL_SCREEN=/s/new\0", 57));
    addProcess(503, "bash", 500, 40, QByteArray("HOME=/x\0", 8)); // not a shell of a tab
    term.backEnd->setProcRoot(proc);

    const QString calls = m_home->filePath(u"calls"_s);
    QVERIFY(writeScript(term.bin + u"/gnome-terminal"_s,
                        "echo \"$1 $GNOME_TERMINAL_SERVICE $GNOME_TERMINAL_SCREEN\" >> '" +
                            calls.toUtf8() + "'\n" + runs(2)));
    const Outcome outcome = handOver(*term.runner, script(m_scriptPath));
    QCOMPARE(outcome.statuses, QList<int>{0});
    QCOMPARE(outcome.chunks.value(2), ShellRunner::modeLine(RunForm::newTab));
    QCOMPARE(readLines(calls), QStringList{u"--tab :1.7 /s/new"_s});
}

void TestShellRunner::kittyTabUsesItsSocket()
{
    m_preferences->setString(PreferenceKeys::runMode.key, u"tab"_s);
    Linux term = linuxRunner(u"kitty"_s, true);
    const QString proc = m_home->filePath(u"proc"_s);
    QVERIFY(QDir().mkpath(proc + u"/600/fd"_s));
    QVERIFY(QDir().mkpath(proc + u"/net"_s));
    QVERIFY(writePlain(proc + u"/600/comm"_s, "kitty\n"));
    QVERIFY(writePlain(proc + u"/600/cmdline"_s, QByteArray("/usr/bin/kitty\0", 15)));
    QVERIFY(QFile::link(u"socket:[9001]"_s, proc + u"/600/fd/3"_s));
    QVERIFY(QFile::link(u"socket:[9002]"_s, proc + u"/600/fd/4"_s));
    QVERIFY(
        writePlain(proc + u"/net/unix"_s,
                   "Num       RefCount Protocol Flags    Type St Inode Path\n"
                   "0000000000000000: 00000002 00000000 00010000 0001 01 9002 @kitty-ipc-0\n"
                   "0000000000000000: 00000002 00000000 00010000 0001 01 9001 /tmp/kitty-600\n"));
    term.backEnd->setProcRoot(proc);

    const QString args = m_home->filePath(u"args"_s);
    QVERIFY(writeScript(term.bin + u"/kitty"_s, "printf '%s\\0' \"$@\" > '" + args.toUtf8() +
                                                    "'\n" + runs(6) + "echo 3\n"));
    const Outcome outcome = handOver(*term.runner, script(m_scriptPath));
    QCOMPARE(outcome.statuses, QList<int>{0});
    QCOMPARE(outcome.chunks.mid(2),
             (QStringList{ShellRunner::modeLine(RunForm::newTab), L(u"诊断：%@\n"_s, {u"3"_s})}));
    const HandOverText text = HandOverText::build(m_scriptPath, std::nullopt);
    QCOMPARE(withoutMarker(readNulSeparated(args)),
             (QStringList{u"@"_s, u"--to"_s, u"unix:/tmp/kitty-600"_s, u"launch"_s, u"--type=tab"_s,
                          u"--"_s} +
              TerminalCatalogue::command(text, u"/bin/true"_s)));
}

QTEST_GUILESS_MAIN(TestShellRunner)
#include "tst_shellrunner.moc"

// Random folder names, file names and presets: the script starts in its
// folder with exactly the words the preset means, through a terminal given
// the command as words (gnome-terminal), one given one string (terminator),
// and through the AppleScript text Terminal would run.
void TestShellRunner::randomTextsReachTheScript()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    const QString report = m_home->filePath(u"report"_s);
    const QByteArray body = "printf '%s\\0' \"$PWD\" \"$@\" > \"$REPORT\"\n";
    Linux term = linuxRunner(u"gnome-terminal"_s, true);
    QVERIFY(writeScript(term.bin + u"/gnome-terminal"_s,
                        "shift 2\n\"$@\" </dev/null >/dev/null 2>&1\n"));
    QVERIFY(writeScript(term.bin + u"/terminator"_s,
                        "[ \"$1\" = -e ] && exec /bin/sh -c \"$2\" </dev/null >/dev/null 2>&1\n"));

    for (int round = 0; round < 12; ++round) {
        QString folder;
        do
            folder = hostileText(random, 6);
        while (folder == u"."_s || folder == u".."_s);
        const QString directory = m_home->filePath(u"dirs/"_s + folder);
        const QString path = directory + u'/' + hostileText(random, 4) + u".sh"_s;
        QVERIFY(QDir().mkpath(directory));
        QVERIFY(writeScript(path, body));
        QStringList words;
        const int count = random.bounded(4);
        for (int i = 0; i < count; ++i)
            words.append(random.bounded(5) == 0 ? QString() : hostileText(random, 5));
        QStringList quoted;
        for (const QString &word : words)
            quoted.append(typed(word));
        const QString preset = quoted.join(random.bounded(2) ? u" "_s : u" \t "_s);
        const QStringList expected = QStringList{directory} + words;
        const QByteArray context = "seed " + QByteArray::number(seed) + ", round " +
                                   QByteArray::number(round) + ": " + path.toUtf8() + " | " +
                                   preset.toUtf8();

        for (const QString &terminal : {u"gnome-terminal"_s, u"terminator"_s}) {
            m_preferences->setString(PreferenceKeys::terminal.key, terminal);
            QFile::remove(report);
            const Outcome outcome = handOver(*term.runner, script(path), preset);
            QVERIFY2(outcome.statuses == QList<int>{0}, context.constData());
            QTRY_VERIFY2(readNulSeparated(report) == expected, context.constData());
        }

        // Terminal runs what the AppleScript string literal holds.
        const HandOverText text = HandOverText::build(path, preset);
        const QString opening = u"do script \""_s;
        const qsizetype at = text.doScriptLine.indexOf(opening);
        QVERIFY(at > 0);
        const std::optional<QString> command =
            appleScriptString(text.doScriptLine, at + opening.size());
        QVERIFY2(command == text.commandLine, context.constData());
        QFile::remove(report);
        QProcess terminal;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"REPORT"_s, report);
        terminal.setProcessEnvironment(environment);
        terminal.start(u"/bin/sh"_s, {u"-c"_s, *command});
        QVERIFY(terminal.waitForFinished(10000));
        QVERIFY2(readNulSeparated(report) == expected, context.constData());
    }
}
