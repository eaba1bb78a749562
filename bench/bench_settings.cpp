// Opens the settings window (built and painted) and switches between its tabs.
#include "library/ShellStore.h"
#include "settings/Preferences.h"
#include "settings/window/SettingsView.h"
#include "settings/window/SettingsWindow.h"

#include "TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>

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

// Until the window system has mapped the window: before that, repaint() paints nothing.
void waitUntilExposed(QWidget &window)
{
    QElapsedTimer timer;
    timer.start();
    while (!window.windowHandle()->isExposed() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

// Built, shown and painted once into its backing store; the three parts in ms.
struct Opening
{
    double built = 0;
    double shown = 0;
    double painted = 0;
    double cpu = 0; // of this thread: what the opening costs apart from waiting for the CPU
};

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}
Opening openOnce(Rig &rig)
{
    const double cpuStart = threadCpuMs();
    QElapsedTimer timer;
    timer.start();
    Opening result;
    SettingsWindow window(rig.store, rig.services());
    result.built = double(timer.nsecsElapsed()) / 1e6;
    window.show();
    waitUntilExposed(window);
    result.shown = double(timer.nsecsElapsed()) / 1e6;
    window.repaint();
    result.painted = double(timer.nsecsElapsed()) / 1e6;
    result.cpu = threadCpuMs() - cpuStart;
    window.close();
    return result;
}

void BM_SettingsOpen(benchmark::State &state)
{
    Rig rig;
    for (auto _ : state) {
        auto window = std::make_unique<SettingsWindow>(rig.store, rig.services());
        window->show();
        waitUntilExposed(*window);
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
    waitUntilExposed(window);
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
        const Opening first = openOnce(rig);
        std::printf("first open in the process (fonts, icons, style loaded): %.1f ms"
                    " (built %.1f, shown %.1f, painted %.1f; CPU time %.1f)\n",
                    first.painted, first.built, first.shown - first.built,
                    first.painted - first.shown, first.cpu);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
