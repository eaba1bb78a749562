// Builds the tray menu from a published document of many scripts.
#include "library/ShellStore.h"
#include "menubar/MenuBarView.h"
#include "run/RunController.h"
#include "settings/Preferences.h"

#include "SampleForest.h"
#include "TestSupport.h"

#include <QApplication>
#include <QMenu>

#include <benchmark/benchmark.h>

namespace {

// A published library of folders of 50 scripts, every fifth with two presets.
struct Library
{
    TestHome home;
    Preferences preferences{home.preferencesFile()};
    ShellStore store{preferences, home.locations()};
    RunController runs;

    explicit Library(benchmark::State &state)
    {
        store.setRoots(sampleForest(static_cast<int>(state.range(0))));
        store.setPublished(true);
    }
};

// Submenus fill when first shown; this opens every one, as a tray host that
// reads the whole menu would.
int fillAll(QMenu *menu)
{
    int actions = 0;
    for (QAction *action : menu->actions()) {
        ++actions;
        if (QMenu *submenu = action->menu()) {
            Q_EMIT submenu->aboutToShow();
            actions += fillAll(submenu);
        }
    }
    return actions;
}

// The whole menu built from nothing: the top level, then every submenu.
void BM_MenuBuild(benchmark::State &state)
{
    Library library(state);
    int actions = 0;
    for (auto _ : state) {
        auto view = std::make_unique<MenuBarView>(library.store, library.runs);
        actions = fillAll(view->menu());
        state.PauseTiming();
        view.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["actions"] = actions;
}
BENCHMARK(BM_MenuBuild)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

// A rebuild after a store change, when every submenu had been opened: the
// old menu torn down, the new top level built.
void BM_MenuRebuildAfterFullUse(benchmark::State &state)
{
    Library library(state);
    MenuBarView view(library.store, library.runs);
    for (auto _ : state) {
        state.PauseTiming();
        fillAll(view.menu());
        state.ResumeTiming();
        view.rebuild();
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MenuRebuildAfterFullUse)->Arg(5000)->Unit(benchmark::kMillisecond);

// What a start pays: the top level only.
void BM_MenuTopLevel(benchmark::State &state)
{
    Library library(state);
    MenuBarView view(library.store, library.runs);
    for (auto _ : state) {
        view.rebuild();
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MenuTopLevel)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

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
