// Opens the settings window (built and painted) and switches between its tabs.
#include "library/ShellStore.h"
#include "settings/Preferences.h"
#include "settings/window/SettingsView.h"
#include "settings/window/SettingsWindow.h"

#include "TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

struct Rig
{
    TestHome home;
    Preferences preferences{home.preferencesFile()};
    ShellStore store{preferences, home.locations()};

    SettingsServices services()
    {
        SettingsServices result;
        result.preferences = &preferences;
        result.environment = QProcessEnvironment::systemEnvironment();
        result.scratchFolder = home.filePath(QStringLiteral("runtime"));
        result.version = QStringLiteral("1.0");
        result.build = QStringLiteral("1");
        return result;
    }
};

// Built, shown and painted once into its backing store.
double openOnce(Rig &rig)
{
    QElapsedTimer timer;
    timer.start();
    SettingsWindow window(rig.store, rig.services());
    window.show();
    window.repaint();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    window.close();
    return ms;
}

void BM_SettingsOpen(benchmark::State &state)
{
    Rig rig;
    for (auto _ : state) {
        auto window = std::make_unique<SettingsWindow>(rig.store, rig.services());
        window->show();
        window->repaint();
        state.PauseTiming();
        window.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SettingsOpen)->Unit(benchmark::kMillisecond);

void BM_SettingsTabSwitch(benchmark::State &state)
{
    Rig rig;
    SettingsWindow window(rig.store, rig.services());
    window.show();
    window.repaint();
    auto *tabs = window.view()->findChild<QTabWidget *>(QStringLiteral("tabs"));
    int next = 0;
    for (auto _ : state) {
        next = (next + 1) % tabs->count();
        tabs->setCurrentIndex(next);
        window.repaint();
    }
}
BENCHMARK(BM_SettingsTabSwitch)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // Offscreen unless told otherwise: QT_QPA_PLATFORM=xcb under xvfb-run
    // measures a real X server with its fonts.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static TestHome shared; // the language manager's preferences, never the user's
    Preferences::useStandardFile(shared.preferencesFile());
    QApplication app(argc, argv);
    {
        Rig rig;
        std::printf("first open in the process (fonts, icons, style loaded): %.1f ms\n",
                    openOnce(rig));
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
