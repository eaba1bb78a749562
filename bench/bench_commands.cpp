// Every command of the command line on a library of 10,000 nodes: carried
// out by the running app (the store already loaded), and as a process of its
// own does it when no app runs (the document read first). Each must answer
// in well under 50 ms.
#include "cli/CommandExecutor.h"
#include "cli/CommandLine.h"
#include "library/ShellStore.h"
#include "platform/Locations.h"
#include "run/RunController.h"
#include "run/ShellRunner.h"
#include "settings/Preferences.h"

#include "FakeTerminalBackEnd.h"
#include "SampleForest.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// 100 folders of 99 scripts, each with one preset: 10,000 nodes.
QList<ShellNode> largeLibrary()
{
    return sampleForest(
        9900, {.scriptsPerFolder = 99, .presetEvery = 1, .presets = {QStringLiteral("--verbose")}});
}

struct Library
{
    QTemporaryDir dir;
    Preferences preferences{dir.filePath(QStringLiteral("preferences.ini"))};
    Locations locations = Locations::under(dir.path());
    std::unique_ptr<ShellStore> store;
    std::unique_ptr<ShellRunner> runner{std::make_unique<ShellRunner>(
        std::make_unique<FakeTerminalBackEnd>([](const HandOverText &) { return QString(); }, 0),
        &preferences)};
    RunController runs{nullptr, runner.get()};

    Library()
    {
        QDir().mkpath(dir.filePath(QStringLiteral("bin/tools")));
        for (const char *name : {"bin/new.sh", "bin/tools/a.sh", "bin/tools/b.sh"}) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            if (file.open(QIODevice::WriteOnly))
                file.write("#!/bin/sh\n");
        }
        store = std::make_unique<ShellStore>(preferences, locations);
        store->setLineSink([](const QString &) {});
        store->setRoots(largeLibrary());
        store->save();
    }

    int execute(ShellStore &on, const QStringList &arguments)
    {
        const ParsedCommandLine parsed = CommandLine::parse(arguments);
        CommandExecutor executor(on, runs);
        qsizetype bytes = 0;
        const int status = executor.executeAndWait(
            *parsed.command, dir.path(), [&bytes](const QString &t) { bytes += t.size(); },
            [](const QString &) {});
        benchmark::DoNotOptimize(bytes);
        return status;
    }
};

QStringList words(const char *line)
{
    return QString::fromUtf8(line).split(u'|');
}

// The running app: the command against the loaded store. Commands that
// change the tree alternate between two forms so every round does the work.
void inApp(benchmark::State &state, const char *first, const char *second)
{
    Library library;
    const QStringList a = words(first);
    const QStringList b = words(second);
    bool useFirst = true;
    for (auto _ : state) {
        if (library.execute(*library.store, useFirst ? a : b) != 0)
            state.SkipWithError("command failed");
        useFirst = !useFirst;
    }
}

// A process of its own: read the document, carry the command out (and save).
void inProcess(benchmark::State &state, const char *line)
{
    Library library;
    const QStringList arguments = words(line);
    for (auto _ : state) {
        ShellStore store(library.preferences, library.locations);
        store.setLineSink([](const QString &) {});
        if (library.execute(store, arguments) != 0)
            state.SkipWithError("command failed");
    }
}

// rm needs a new node every round.
void removeInApp(benchmark::State &state)
{
    Library library;
    for (auto _ : state) {
        state.PauseTiming();
        const QUuid id = library.store->addFolder(std::nullopt, QStringLiteral("gone"));
        state.ResumeTiming();
        if (library.execute(*library.store, {QStringLiteral("rm"), uuidText(id)}) != 0)
            state.SkipWithError("command failed");
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const auto add = [](const char *name, auto function, auto... arguments) {
        benchmark::RegisterBenchmark(name, function, arguments...)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.5);
    };
    add("app list", inApp, "list", "list");
    add("app list --json", inApp, "list|--json", "list|--json");
    add("app profile list", inApp, "profile|list", "profile|list");
    add("app run", inApp, "run|folder 5/script 5-3", "run|folder 5/script 5-4|--preset|1");
    add("app add", inApp, "add|bin/new.sh|--to|folder 1", "add|bin/new.sh");
    add("app import", inApp, "import|bin/tools|--to|folder 2", "import|bin/tools");
    add("app mkdir", inApp, "mkdir|Ops|--to|folder 3", "mkdir");
    add("app rename", inApp, "rename|folder 4/script 4-1|renamed",
        "rename|folder 4/renamed|script 4-1");
    add("app mv", inApp, "mv|folder 7/script 7-2|--root", "mv|script 7-2|--into|folder 7");
    add("app args", inApp, "args|folder 9/script 9-9|-a|-b", "args|folder 9/script 9-9");
    add("app publish", inApp, "publish", "publish|--off");
    add("app rm", removeInApp);
    add("process list", inProcess, "list");
    add("process mkdir", inProcess, "mkdir|Ops");
    add("process mv", inProcess, "mv|folder 7/script 7-2|--before|folder 7/script 7-0");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
