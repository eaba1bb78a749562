// Document encode/decode, the name sort and whole saves on generated libraries.

#include "library/ScriptDocument.h"
#include "library/ShellStore.h"
#include "settings/Preferences.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

struct Generator
{
    QRandomGenerator random{2024};
    int remaining = 0;
    int fanout = 4;
    int serial = 0;

    ShellNode make(int depth)
    {
        --remaining;
        ShellNode node;
        node.id = QUuid::createUuid();
        node.createdAt = 700000000 + random.bounded(100000000) + 0.25;
        const int n = ++serial;
        if (depth < 6 && random.bounded(3) != 0) {
            node.kind = NodeKind::folder;
            node.name = QStringLiteral("文件夹 %1").arg(n);
            QList<ShellNode> children;
            for (int i = 0; i < fanout && remaining > 0; ++i)
                children.append(make(depth + 1));
            node.children = children;
        } else {
            node.kind = NodeKind::script;
            node.name = QStringLiteral("deploy-%1").arg(n);
            node.filePath = QStringLiteral("/home/user/scripts/team/tools/deploy-%1.sh").arg(n);
            if (random.bounded(2) == 0)
                node.args = QStringList{QStringLiteral("--verbose"),
                                        QStringLiteral("--target \"prod eu\"")};
        }
        return node;
    }
};

// Folders and scripts to depth 6, with presets on half of the scripts.
Persisted generate(int count)
{
    Generator generator;
    generator.remaining = count;
    generator.fanout = count >= 100000 ? 8 : count >= 10000 ? 6 : 4;
    Persisted document;
    document.isPublished = true;
    while (generator.remaining > 0)
        document.roots.append(generator.make(1));
    return document;
}

const Persisted &cached(int count)
{
    static QHash<int, Persisted> documents;
    auto found = documents.find(count);
    if (found == documents.end())
        found = documents.insert(count, generate(count));
    return *found;
}

void BM_Encode(benchmark::State &state)
{
    const Persisted &document = cached(int(state.range(0)));
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray out = ScriptDocument::encode(document);
        bytes = out.size();
        benchmark::DoNotOptimize(out.constData());
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_Encode)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_Decode(benchmark::State &state)
{
    const QByteArray bytes = ScriptDocument::encode(cached(int(state.range(0))));
    for (auto _ : state) {
        const ScriptDocument::Decoded decoded = ScriptDocument::decode(bytes, 0);
        if (!decoded)
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(decoded.persisted->roots.size());
    }
}
BENCHMARK(BM_Decode)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_SortedByNameTree(benchmark::State &state)
{
    const Persisted &document = cached(int(state.range(0)));
    for (auto _ : state) {
        const QList<ShellNode> sorted = Forest::sortedByNameTree(document.roots);
        benchmark::DoNotOptimize(sorted.size());
    }
}
BENCHMARK(BM_SortedByNameTree)->Arg(10000)->Unit(benchmark::kMillisecond);

// A store in a private home, its document already on disk.
struct StoreFixture
{
    QTemporaryDir dir;
    Preferences preferences{dir.filePath(QStringLiteral("preferences.ini"))};
    ShellStore store{preferences, Locations::under(dir.path())};
};

void BM_Save(benchmark::State &state)
{
    StoreFixture fixture;
    fixture.store.setRoots(cached(int(state.range(0))).roots);
    fixture.store.save(); // the once-per-run backup is not what is measured
    for (auto _ : state) {
        if (!fixture.store.save())
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_Save)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// An edit as the store makes it: the writers' lock taken, the file compared
// with what was last written (read and hashed), the edit applied, the
// document written and compared once more right before the rename. With
// "outside", another program has rewritten the file before each edit, so it
// is decoded and the edit applied on top of it.
void BM_EditWithDiskCheck(benchmark::State &state)
{
    StoreFixture fixture;
    fixture.store.setRoots(cached(int(state.range(0))).roots);
    fixture.store.save();
    const bool outside = state.range(1) != 0;
    const QUuid id = fixture.store.roots().first().id;
    const QString path = fixture.store.currentDocumentPath();
    int n = 0;
    for (auto _ : state) {
        if (outside) {
            state.PauseTiming();
            Persisted other{fixture.store.roots(), fixture.store.isPublished()};
            other.roots.last().name = QStringLiteral("outside %1").arg(n);
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(ScriptDocument::encode(other));
            file.close();
            state.ResumeTiming();
        }
        fixture.store.rename(id, QStringLiteral("edit %1").arg(++n));
        if (fixture.store.lastSaveError())
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_EditWithDiskCheck)
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->ArgNames({"nodes", "outside"})
    ->Unit(benchmark::kMillisecond);

void BM_Load(benchmark::State &state)
{
    StoreFixture fixture;
    fixture.store.setRoots(cached(int(state.range(0))).roots);
    fixture.store.save();
    for (auto _ : state) {
        fixture.store.load();
        if (fixture.store.roots().isEmpty())
            state.SkipWithError("load failed");
    }
}
BENCHMARK(BM_Load)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// For comparison: parsing alone, into a QJsonDocument.
void BM_QJsonDocumentParse(benchmark::State &state)
{
    const QByteArray bytes = ScriptDocument::encode(cached(int(state.range(0))));
    for (auto _ : state) {
        const QJsonDocument json = QJsonDocument::fromJson(bytes);
        benchmark::DoNotOptimize(json.isObject());
    }
}
BENCHMARK(BM_QJsonDocumentParse)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
