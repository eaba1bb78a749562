// Importing a large script tree and moving a node in a large library, both
// with the save of the whole document that every edit makes.
#include "SampleForest.h"
#include "library/ScriptDocument.h"
#include "library/ShellStore.h"
#include "platform/Locations.h"
#include "settings/Preferences.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// 200 folders with 9 subfolders each (2,000 folders), ten scripts in every
// folder (20,000 scripts) and one file that is not a script.
QString generatedTree(const QTemporaryDir &dir)
{
    const QString root = dir.filePath(QStringLiteral("scripts"));
    for (int top = 0; top < 200; ++top) {
        const QString topDir = root + QStringLiteral("/group%1").arg(top);
        for (int sub = -1; sub < 9; ++sub) {
            const QString folder = sub < 0 ? topDir : topDir + QStringLiteral("/part%1").arg(sub);
            QDir().mkpath(folder);
            for (int i = 0; i < 10; ++i) {
                QFile file(folder + QStringLiteral("/task%1.sh").arg(i));
                if (file.open(QIODevice::WriteOnly))
                    file.write("#!/bin/sh\necho hi\n");
            }
            QFile notes(folder + QStringLiteral("/notes.txt"));
            if (notes.open(QIODevice::WriteOnly))
                notes.write("not a script\n");
        }
    }
    return root;
}

struct Library
{
    QTemporaryDir dir;
    Preferences preferences{dir.filePath(QStringLiteral("preferences.ini"))};
    ShellStore store{preferences, Locations::under(dir.path())};
};

void BM_BuildTree20k(benchmark::State &state)
{
    QTemporaryDir tree;
    const QString root = generatedTree(tree);
    Library library;
    qsizetype scripts = 0;
    for (auto _ : state) {
        const ShellNode node = library.store.buildTree(root);
        scripts = node.collectScripts().size();
        benchmark::DoNotOptimize(scripts);
    }
    state.counters["scripts"] = double(scripts);
}
BENCHMARK(BM_BuildTree20k)->Unit(benchmark::kMillisecond);

void BM_ImportFolder20kWithSave(benchmark::State &state)
{
    QTemporaryDir tree;
    const QString root = generatedTree(tree);
    Library library;
    for (auto _ : state) {
        state.PauseTiming();
        library.store.setRoots({});
        state.ResumeTiming();
        library.store.importFolder(root, std::nullopt);
    }
    state.counters["nodes"] = double(Forest::depthMap(library.store.roots()).size());
}
BENCHMARK(BM_ImportFolder20kWithSave)->Unit(benchmark::kMillisecond);

// 100 folders of 99 scripts, each with one preset: 10,000 nodes.
QList<ShellNode> largeLibrary()
{
    return sampleForest(
        9900, {.scriptsPerFolder = 99, .presetEvery = 1, .presets = {QStringLiteral("--verbose")}});
}

// One script goes back and forth between the first and the last folder; each
// move saves the document.
void BM_MoveNode10kWithSave(benchmark::State &state)
{
    Library library;
    const QList<ShellNode> roots = largeLibrary();
    library.store.setRoots(roots);
    library.store.save(); // the first save of a run also takes the backup copy
    const QUuid moved = roots.at(50).children->at(10).id;
    bool toFirst = true;
    for (auto _ : state) {
        library.store.moveNode(moved, (toFirst ? roots.first() : roots.last()).id, std::nullopt);
        toFirst = !toFirst;
    }
    state.counters["nodes"] = double(Forest::depthMap(library.store.roots()).size());
}
BENCHMARK(BM_MoveNode10kWithSave)->Unit(benchmark::kMillisecond);

// The two shares of the above: the tree work of a move, and the save.
void BM_MoveNode10kTreeOnly(benchmark::State &state)
{
    QList<ShellNode> roots = largeLibrary();
    const QUuid moved = roots.at(50).children->at(10).id;
    const QUuid first = roots.first().id;
    const QUuid last = roots.last().id;
    bool toFirst = true;
    for (auto _ : state) {
        const QUuid target = toFirst ? first : last;
        const std::optional<ShellNode> node = Forest::first(roots, moved);
        benchmark::DoNotOptimize(Forest::isWithin(roots, target, moved));
        benchmark::DoNotOptimize(Forest::first(roots, target));
        roots = Forest::inserting(Forest::removing(roots, moved), *node, target, std::nullopt);
        toFirst = !toFirst;
    }
}
BENCHMARK(BM_MoveNode10kTreeOnly)->Unit(benchmark::kMillisecond);

// The save's own shares: encoding the document, then the atomic write.
void BM_Encode10k(benchmark::State &state)
{
    const Persisted document{largeLibrary(), true};
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray out = ScriptDocument::encode(document);
        bytes = out.size();
        benchmark::DoNotOptimize(out.constData());
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_Encode10k)->Unit(benchmark::kMillisecond);

void BM_AtomicWrite10k(benchmark::State &state)
{
    QTemporaryDir dir;
    const QByteArray bytes = ScriptDocument::encode(Persisted{largeLibrary(), true});
    const QString path = dir.filePath(QStringLiteral("tallowBay.json"));
    for (auto _ : state) {
        QSaveFile file(path);
        file.setDirectWriteFallback(false);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_AtomicWrite10k)->Unit(benchmark::kMillisecond);

void BM_Save10k(benchmark::State &state)
{
    Library library;
    library.store.setRoots(largeLibrary());
    library.store.save();
    for (auto _ : state)
        library.store.save();
}
BENCHMARK(BM_Save10k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
