// The management window over a large library: opening it, the outline's
// update after one edit, and painting while scrolling.
#include "library/ShellStore.h"
#include "run/RunController.h"
#include "settings/Preferences.h"
#include "window/ContentView.h"
#include "window/SidebarModel.h"
#include "window/SidebarTreeView.h"

#include "SampleForest.h"
#include "TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

// Folders of 50 nodes: 39 scripts (every fifth with presets) and a subfolder of 9.
QList<ShellNode> library(int count)
{
    const QStringList presets{QStringLiteral("start"), QStringLiteral("stop")};
    QList<ShellNode> roots;
    for (int made = 0, f = 0; made < count; ++f, made += 50) {
        QList<ShellNode> children;
        for (int i = 0; i < 39; ++i)
            children.append(sampleScript(f, i, i % 5 == 0 ? presets : QStringList()));
        QList<ShellNode> tools;
        for (int i = 0; i < 9; ++i)
            tools.append(sampleScript(f, 100 + i, i % 5 == 0 ? presets : QStringList()));
        children.append(TestNodes::folder(QStringLiteral("more %1").arg(f), std::move(tools)));
        roots.append(TestNodes::folder(QStringLiteral("folder %1").arg(f), std::move(children)));
    }
    return roots;
}

struct Rig
{
    TestHome home;
    Preferences preferences{home.preferencesFile()};
    ShellStore store{preferences, home.locations()};
    RunController runs;

    explicit Rig(int nodes) { store.setRoots(library(nodes)); }
};

void BM_WindowOpen(benchmark::State &state)
{
    Rig rig(int(state.range(0)));
    for (auto _ : state) {
        auto *window = new ContentView(rig.store, rig.runs);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->resize(960, 640);
        window->show();
        // Built and painted once, as the first frame shows it.
        benchmark::DoNotOptimize(window->grab());
        state.PauseTiming();
        delete window;
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowOpen)->Arg(5000)->Unit(benchmark::kMillisecond);

// One rename as the store applies it (without the save), up to the outline's
// rows being up to date.
void BM_ModelUpdateAfterEdit(benchmark::State &state)
{
    Rig rig(int(state.range(0)));
    rig.store.setSortMode(state.range(1) ? SortMode::name : SortMode::custom);
    ContentView window(rig.store, rig.runs);
    const QList<ShellNode> &roots = rig.store.roots();
    const QUuid id = roots.at(roots.size() / 2).children->at(7).id;
    int n = 0;
    for (auto _ : state) {
        rig.store.setRoots(Forest::updating(rig.store.roots(), id, [&n](ShellNode &node) {
            node.name = QStringLiteral("renamed %1").arg(n++);
        }));
    }
    state.counters["rows"] = window.sidebarModel()->nodeCount();
}
BENCHMARK(BM_ModelUpdateAfterEdit)
    ->Args({5000, 0})
    ->Args({50000, 0})
    ->Args({5000, 1})
    ->Args({50000, 1})
    ->ArgNames({"nodes", "nameOrder"})
    ->Unit(benchmark::kMillisecond);

// Every folder open, the outline scrolled a page at a time and painted; the
// slowest step is what a user could feel.
void BM_ScrollPage(benchmark::State &state)
{
    Rig rig(int(state.range(0)));
    ContentView window(rig.store, rig.runs);
    window.resize(960, 640);
    window.show();
    window.sidebar()->expandAll();
    QCoreApplication::processEvents();
    QScrollBar *bar = window.sidebar()->verticalScrollBar();
    qint64 slowest = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const int next = bar->value() + bar->pageStep();
        bar->setValue(next > bar->maximum() ? 0 : next);
        window.sidebar()->viewport()->repaint();
        slowest = std::max(slowest, timer.nsecsElapsed());
    }
    state.counters["slowest_ms"] = double(slowest) / 1e6;
    state.counters["rows"] = window.sidebarModel()->nodeCount();
}
BENCHMARK(BM_ScrollPage)->Arg(5000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
