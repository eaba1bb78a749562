// The detail pane at library scale: a keystroke in the preset editor until
// the document is saved and the event loop is idle again, and a switch of
// the selection between two scripts until the new pane is painted.
#include "library/ShellStore.h"
#include "menubar/MenuBarView.h"
#include "run/RunController.h"
#include "settings/Preferences.h"
#include "window/DetailView.h"

#include "SampleForest.h"
#include "TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

// Folders of 49 scripts (every fifth with two presets); folders count as nodes.
QList<ShellNode> library(int count)
{
    return sampleForest(count, {.scriptsPerFolder = 49, .countFolders = true});
}

struct Rig
{
    TestHome home;
    Preferences preferences{home.preferencesFile()};
    ShellStore store{preferences, home.locations()};
    RunController runs;
    // The tray menu follows every edit too, as in the app.
    std::unique_ptr<MenuBarView> menu;
    DetailView view{store, runs};

    explicit Rig(int nodes, bool withTrayMenu = false)
    {
        if (withTrayMenu)
            menu = std::make_unique<MenuBarView>(store, runs);
        store.setLineSink([](const QString &) {});
        store.setRoots(library(nodes));
        store.setPublished(true);
        view.resize(700, 560);
        view.show();
        QCoreApplication::processEvents();
    }
    QUuid script(int folder, int index) const
    {
        return store.roots().at(folder).children->at(index).id;
    }
};

// Arg 1: the tray menu is there and rebuilds after each edit, as in the app.
void BM_PresetKeystroke(benchmark::State &state)
{
    Rig rig(static_cast<int>(state.range(0)), state.range(1) != 0);
    rig.view.showNode(rig.script(3, 5));
    QCoreApplication::processEvents();
    auto *field = rig.view.findChild<QLineEdit *>(QStringLiteral("argField"));
    double longestKey = 0;
    double longestLoop = 0;
    int typed = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        // Typed and saved: the key press returns after the document is written.
        QTest::keyClick(field, typed++ % 20 == 19 ? Qt::Key_Backspace : Qt::Key_A);
        longestKey = std::max(longestKey, timer.nsecsElapsed() / 1e6);
        // Then what the edit posted for later (the tray menu's rebuild).
        state.PauseTiming();
        timer.restart();
        QCoreApplication::processEvents();
        longestLoop = std::max(longestLoop, timer.nsecsElapsed() / 1e6);
        state.ResumeTiming();
    }
    state.counters["longest_key_ms"] = longestKey;
    state.counters["longest_after_ms"] = longestLoop;
    state.counters["saves_ok"] = rig.store.lastSaveError() ? 0 : 1;
}
BENCHMARK(BM_PresetKeystroke)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond);

void BM_SelectionSwitch(benchmark::State &state)
{
    Rig rig(static_cast<int>(state.range(0)));
    const QUuid a = rig.script(2, 5);
    const QUuid b = rig.script(150, 10);
    bool toA = false;
    double longest = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        rig.view.showNode((toA = !toA) ? a : b);
        rig.view.repaint();
        longest = std::max(longest, timer.nsecsElapsed() / 1e6);
        state.PauseTiming();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["longest_ms"] = longest;
}
BENCHMARK(BM_SelectionSwitch)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The language manager reads the standard preferences: never the user's.
    QTemporaryDir preferencesHome;
    Preferences::useStandardFile(preferencesHome.filePath(QStringLiteral("orlenta.ini")));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
