// Runs of whole nodes: order, log, statuses and the store's last message.
#include "FakeTerminalBackEnd.h"
#include "TestSupport.h"

#include "TestNodes.h"
#include "language/LanguageManager.h"
#include "library/ShellStore.h"
#include "run/AppleScriptBackEnd.h"
#include "run/RunController.h"
#include "run/ShellRunner.h"
#include "settings/Preferences.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

ShellNode folder(const QString &name, const QList<ShellNode> &children)
{
    return TestNodes::folder(name, children);
}

ShellNode script(const QString &name, std::optional<QString> path = std::nullopt)
{
    return TestNodes::script(name,
                             path ? path : std::optional<QString>(u"/s/"_s + name + u".sh"_s));
}

// The log of one script handed to the fake back end with the window form.
QString logOf(const QString &name, const QString &file, const QString &arg = {})
{
    return RunController::header(name) + ShellRunner::handedOverLine() + u"$ cd /s && ./"_s + file +
           (arg.isEmpty() ? QString() : u' ' + arg) + u'\n' +
           ShellRunner::modeLine(RunForm::newWindow) + u'[' + file + u"]\n"_s;
}
} // namespace

class TestRunController : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<ShellStore> m_store;
    FakeTerminalBackEnd *m_backEnd = nullptr;
    std::unique_ptr<ShellRunner> m_runner;
    std::unique_ptr<RunController> m_controller;

    bool runToEnd(const ShellNode &node, std::optional<QString> arg = std::nullopt)
    {
        QSignalSpy running(m_controller.get(), &RunController::isRunningChanged);
        m_controller->run(node, *m_store, arg);
        return QTest::qWaitFor([&] { return running.size() == 2; }, 10000);
    }

private Q_SLOTS:
    void init();
    void cleanup();

    void folderRunsInPreOrder();
    void runReturnsBeforeHandingOver();
    void emptyFoldersChangeNothing();
    void statusesReachTheStore();
    void secondRunIsNotRefused();
    void terminalAcceptsScript();
};

void TestRunController::init()
{
    m_home = std::make_unique<TestHome>();
    QVERIFY(m_home->isValid());
    m_preferences = std::make_unique<Preferences>(m_home->preferencesFile());
    m_store = std::make_unique<ShellStore>(*m_preferences, m_home->locations());
    auto backEnd = std::make_unique<FakeTerminalBackEnd>(
        [](const HandOverText &text) { return u'[' + text.fileName + u"]\n"_s; }, 5);
    m_backEnd = backEnd.get();
    m_runner = std::make_unique<ShellRunner>(std::move(backEnd), m_preferences.get());
    m_controller = std::make_unique<RunController>(nullptr, m_runner.get());
}

void TestRunController::cleanup()
{
    m_controller.reset();
    m_runner.reset();
    m_store.reset();
}

void TestRunController::folderRunsInPreOrder()
{
    const ShellNode tree =
        folder(u"F"_s, {script(u"A"_s), folder(u"sub"_s, {script(u"B"_s)}), script(u"C"_s)});
    QStringList seen;
    connect(m_controller.get(), &RunController::currentNodeNameChanged, this,
            [&] { seen << m_controller->currentNodeName(); });

    QVERIFY(runToEnd(tree, u"  --x \"y\" "_s));
    QCOMPARE(m_backEnd->commandLines,
             (QStringList{u"cd '/s' && './A.sh' --x \"y\""_s, u"cd '/s' && './B.sh' --x \"y\""_s,
                          u"cd '/s' && './C.sh' --x \"y\""_s}));
    QCOMPARE(m_controller->output(), logOf(u"A"_s, u"A.sh"_s, u"--x \"y\""_s) +
                                         logOf(u"B"_s, u"B.sh"_s, u"--x \"y\""_s) +
                                         logOf(u"C"_s, u"C.sh"_s, u"--x \"y\""_s));
    QCOMPARE(seen, (QStringList{u"A"_s, u"B"_s, u"C"_s, QString()}));
    QVERIFY(!m_controller->isRunning());
    QCOMPARE(m_store->lastRunMessage(), u"C: 退出码 0"_s);
}

void TestRunController::runReturnsBeforeHandingOver()
{
    m_controller->run(script(u"A"_s), *m_store);
    QVERIFY(!m_controller->isRunning());
    QVERIFY(m_backEnd->commandLines.isEmpty());
    QTRY_VERIFY(m_controller->isRunning());
    QTRY_VERIFY(!m_controller->isRunning());
    QCOMPARE(m_backEnd->commandLines.size(), 1);
}

void TestRunController::emptyFoldersChangeNothing()
{
    QVERIFY(runToEnd(script(u"A"_s)));
    const QString before = m_controller->output();
    QSignalSpy output(m_controller.get(), &RunController::outputChanged);
    QSignalSpy running(m_controller.get(), &RunController::isRunningChanged);

    m_controller->run(folder(u"empty"_s, {}), *m_store);
    m_controller->run(
        folder(u"only folders"_s, {folder(u"a"_s, {}), folder(u"b"_s, {folder(u"c"_s, {})})}),
        *m_store);
    QTest::qWait(50);
    QCOMPARE(output.size(), 0);
    QCOMPARE(running.size(), 0);
    QCOMPARE(m_controller->output(), before);
    QCOMPARE(m_backEnd->commandLines.size(), 1);
}

// A missing path reports 1, a failed hand-over its status; neither stops the
// run, and the header is there even for an empty name.
void TestRunController::statusesReachTheStore()
{
    m_backEnd->statuses = {2, 0};
    QStringList messages;
    connect(m_store.get(), &ShellStore::lastRunMessageChanged, this,
            [&] { messages << m_store->lastRunMessage(); });
    const ShellNode tree = folder(u"F"_s, {script(u"nopath"_s, QString()), script(u"y"_s),
                                           script(QString(), u"/s/anon.sh"_s), script(u"z"_s)});
    QVERIFY(runToEnd(tree));
    QCOMPARE(messages, (QStringList{u"nopath: 退出码 1"_s, u"y: 退出码 2"_s, u": 退出码 0"_s,
                                    u"z: 退出码 0"_s}));
    QCOMPARE(
        m_controller->output(),
        RunController::header(u"nopath"_s) + LanguageManager::localized(u"错误：脚本路径为空"_s) +
            u'\n' + logOf(u"y"_s, u"y.sh"_s) + u'\n' + ShellRunner::openFailedLine(QString()) +
            u'\n' +
#if defined(Q_OS_MACOS)
            LanguageManager::localized(
                u"请到「系统设置 › 隐私与安全性 › 自动化」中允许本 App 控制「Terminal」。\n"_s) +
#else
            LanguageManager::localized(
                u"请确认所选终端已安装，并能在当前桌面会话中启动（设置 › 运行）。\n"_s) +
#endif
            u"\n──── sh  ────\n"_s +
            logOf(u"x"_s, u"anon.sh"_s).mid(RunController::header(u"x"_s).size()) +
            logOf(u"z"_s, u"z.sh"_s));
}

void TestRunController::secondRunIsNotRefused()
{
    QSignalSpy running(m_controller.get(), &RunController::isRunningChanged);
    m_controller->run(folder(u"F"_s, {script(u"A"_s), script(u"B"_s)}), *m_store);
    m_controller->run(script(u"C"_s), *m_store);
    QTRY_COMPARE(m_backEnd->commandLines.size(), 3);
    QTRY_VERIFY(!m_controller->isRunning());
    QTest::qWait(50);
    QVERIFY(!m_controller->isRunning());
    QCOMPARE(m_controller->currentNodeName(), QString());
    // The second run cleared the log when it started; the first one went on.
    QVERIFY(!m_controller->output().contains(RunController::header(u"A"_s)));
    QVERIFY(m_controller->output().contains(RunController::header(u"B"_s)));
    QVERIFY(m_controller->output().contains(RunController::header(u"C"_s)));
}

// The whole way with a fake AppleScript runner that accepts the command.
void TestRunController::terminalAcceptsScript()
{
    const QString runnerPath = m_home->filePath(u"osascript"_s);
    QFile file(runnerPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\necho 'tab 1 of window id 42'\n");
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    ShellRunner runner(std::make_unique<AppleScriptBackEnd>(runnerPath, [] { return true; }),
                       m_preferences.get());
    RunController controller(nullptr, &runner);

    QSignalSpy running(&controller, &RunController::isRunningChanged);
    QVERIFY(m_home->write(u"scripts/x.sh"_s, "#!/bin/sh\n"));
    const QString folder = m_home->filePath(u"scripts"_s);
    controller.run(script(u"x"_s, folder + u"/x.sh"_s), *m_store);
    QVERIFY(QTest::qWaitFor([&] { return running.size() == 2; }, 10000));
    QCOMPARE(controller.output(),
             u"\n──── sh x ────\n"_s + ShellRunner::handedOverLine() + u"$ cd "_s + folder +
                 u" && ./x.sh\n"_s + ShellRunner::modeLine(RunForm::newWindow) +
                 LanguageManager::localized(u"诊断：%@\n"_s, {u"tab 1 of window id 42"_s}));
    QCOMPARE(m_store->lastRunMessage(), u"x: 退出码 0"_s);
}

QTEST_GUILESS_MAIN(TestRunController)
#include "tst_runcontroller.moc"
