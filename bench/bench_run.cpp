// Our own overhead of a run: from RunController::run() to the moment the
// launcher process has started (not the terminal's own start-up).
#include "library/ShellStore.h"
#include "platform/Locations.h"
#include "platform/ProcessLookup.h"
#include "run/LinuxTerminalBackEnd.h"
#include "run/RunController.h"
#include "run/ShellRunner.h"
#include "run/TerminalCatalogue.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {
struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<Preferences> preferences;
    std::unique_ptr<ShellStore> store;
    LinuxTerminalBackEnd *backEnd = nullptr;
    std::unique_ptr<ShellRunner> runner;
    std::unique_ptr<RunController> controller;
    ShellNode script;

    // A fake terminal that exits at once: "attached" behaves like
    // gnome-terminal's client, "detached" like xterm.
    explicit Fixture(const QString &terminal, const QByteArray &body = "exit 0\n")
    {
        const QString bin = dir.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin);
        QFile fake(bin + u'/' + terminal);
        fake.open(QIODevice::WriteOnly);
        fake.write("#!/bin/sh\n" + body);
        fake.close();
        fake.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        const Locations locations = Locations::under(dir.filePath(QStringLiteral("home")));
        preferences = std::make_unique<Preferences>(dir.filePath(QStringLiteral("prefs.ini")));
        preferences->setString(PreferenceKeys::terminal.key, terminal);
        store = std::make_unique<ShellStore>(*preferences, locations);

        auto linuxBackEnd = std::make_unique<LinuxTerminalBackEnd>(preferences.get());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PATH"), bin + QStringLiteral(":/usr/bin:/bin"));
        // The stand-ins need no display, but a run refuses to start without one.
        if (!environment.contains(QStringLiteral("DISPLAY")))
            environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":0"));
        linuxBackEnd->setEnvironment(environment);
        backEnd = linuxBackEnd.get();
        runner = std::make_unique<ShellRunner>(std::move(linuxBackEnd), preferences.get());
        controller = std::make_unique<RunController>(nullptr, runner.get());

        script.id = QUuid::createUuid();
        script.name = QStringLiteral("deploy");
        script.kind = NodeKind::script;
        script.filePath = dir.filePath(QStringLiteral("My Scripts/deploy.sh"));
        QDir().mkpath(dir.filePath(QStringLiteral("My Scripts")));
        QFile file(*script.filePath);
        file.open(QIODevice::WriteOnly);
        file.write("#!/bin/sh\n");
    }
};

void runToLauncherStart(benchmark::State &state, const QString &terminal)
{
    Fixture fixture(terminal);
    for (auto _ : state) {
        QElapsedTimer timer;
        qint64 elapsed = -1;
        const QMetaObject::Connection connection =
            QObject::connect(fixture.backEnd, &TerminalBackEnd::launcherStarted, fixture.backEnd,
                             [&] { elapsed = timer.nsecsElapsed(); });
        timer.start();
        fixture.controller->run(fixture.script, *fixture.store, QStringLiteral("--force"));
        while (elapsed < 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(double(elapsed) / 1e9);
        QObject::disconnect(connection);
        while (fixture.controller->isRunning())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void BM_RunToLauncherStart_Attached(benchmark::State &state)
{
    runToLauncherStart(state, QStringLiteral("gnome-terminal"));
}
BENCHMARK(BM_RunToLauncherStart_Attached)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_RunToLauncherStart_Detached(benchmark::State &state)
{
    runToLauncherStart(state, QStringLiteral("xterm"));
}
BENCHMARK(BM_RunToLauncherStart_Detached)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A folder of ten scripts handed to a terminal started in the background,
// from run() to the run's end: with no grace period (accepted once started)
// and with the default one (watched for an early failure). The stand-in
// starts a program of its own at once, as a terminal starts its shell.
void BM_FolderRunOfTen(benchmark::State &state)
{
    Fixture fixture(QStringLiteral("xterm"), "/bin/sleep 1 & wait\n");
    if (state.range(0) >= 0)
        fixture.backEnd->setGracePeriod(int(state.range(0)));
    ShellNode folder;
    folder.kind = NodeKind::folder;
    folder.children = QList<ShellNode>(10, fixture.script);
    for (auto _ : state) {
        bool finished = false;
        const QMetaObject::Connection connection =
            QObject::connect(fixture.controller.get(), &RunController::runFinished,
                             fixture.controller.get(), [&finished] { finished = true; });
        QElapsedTimer timer;
        timer.start();
        fixture.controller->run(folder, *fixture.store);
        while (!finished)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        QObject::disconnect(connection);
    }
}
BENCHMARK(BM_FolderRunOfTen)
    ->Arg(0)
    ->Arg(-1)
    ->ArgNames({"grace"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The parts on the way, measured alone.
void BM_HandOverText(benchmark::State &state)
{
    const std::optional<QString> arg = QStringLiteral("--force \"a b\"");
    for (auto _ : state)
        benchmark::DoNotOptimize(
            HandOverText::build(QStringLiteral("/Users/a/My Scripts/deploy.sh"), arg));
}
BENCHMARK(BM_HandOverText)->Unit(benchmark::kMicrosecond);

void BM_ProcessLookup(benchmark::State &state)
{
    const QStringList names{QStringLiteral("gnome-terminal-server")};
    for (auto _ : state)
        benchmark::DoNotOptimize(ProcessLookup::isRunning(names));
}
BENCHMARK(BM_ProcessLookup)->Unit(benchmark::kMicrosecond);

void BM_ChooseTerminal(benchmark::State &state)
{
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (auto _ : state)
        benchmark::DoNotOptimize(TerminalCatalogue::choose(std::nullopt, environment));
}
BENCHMARK(BM_ChooseTerminal)->Unit(benchmark::kMicrosecond);

// What the operating system alone takes to start a process from this one,
// for comparison with the whole way above.
void BM_BaselineStartAttached(benchmark::State &state)
{
    for (auto _ : state) {
        QProcess process;
        QElapsedTimer timer;
        timer.start();
        process.start(QStringLiteral("/bin/true"), {});
        process.waitForStarted();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        process.waitForFinished();
    }
}
BENCHMARK(BM_BaselineStartAttached)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_BaselineStartDetached(benchmark::State &state)
{
    for (auto _ : state) {
        QProcess process;
        process.setProgram(QStringLiteral("/bin/true"));
        QElapsedTimer timer;
        timer.start();
        process.startDetached();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
    }
}
BENCHMARK(BM_BaselineStartDetached)->UseManualTime()->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
