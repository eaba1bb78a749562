// The quick-run palette's search, one keystroke at a time, over 5,000
// scripts with three presets each (15,000 entries plus folders).
#include "palette/QuickRunIndex.h"

#include <QStringList>

#include <benchmark/benchmark.h>

namespace {

const char *const kWords[] = {"deploy", "backup", "sync",   "report", "clean", "build",
                              "rotate", "export", "import", "check",  "mirror", "notify"};

QList<ShellNode> library(int scriptCount)
{
    QList<ShellNode> roots;
    for (int made = 0, f = 0; made < scriptCount; ++f) {
        ShellNode folder;
        folder.id = QUuid::createUuid();
        folder.name = QStringLiteral("%1 tasks %2").arg(QLatin1StringView(kWords[f % 12])).arg(f);
        QList<ShellNode> children;
        for (int i = 0; i < 50 && made < scriptCount; ++i, ++made) {
            ShellNode script;
            script.id = QUuid::createUuid();
            script.kind = NodeKind::script;
            script.name = QStringLiteral("%1-%2 %3")
                              .arg(QLatin1StringView(kWords[(i * 7 + f) % 12]),
                                   QLatin1StringView(kWords[(i + f * 5) % 12]))
                              .arg(i);
            script.filePath = QStringLiteral("/opt/s/%1/%2.sh").arg(f).arg(i);
            script.args = QStringList{QStringLiteral("--env=prod"), QStringLiteral("--env=staging"),
                                      QStringLiteral("--dry-run -v")};
            children.append(script);
        }
        folder.children = children;
        roots.append(folder);
    }
    return roots;
}

// Each prefix of the typed text is one keystroke's search.
void BM_PaletteKeystroke(benchmark::State &state, const char *typed)
{
    QuickRunIndex index;
    index.rebuild(library(5000));
    const QString text = QString::fromLatin1(typed);
    const qsizetype length = qsizetype(state.range(0));
    const QString pattern = text.left(length);
    for (auto _ : state)
        benchmark::DoNotOptimize(index.search(pattern, {}, 200));
    state.counters["entries"] = double(index.entries().size());
}

void BM_PaletteIndex(benchmark::State &state)
{
    const QList<ShellNode> roots = library(5000);
    for (auto _ : state) {
        QuickRunIndex index;
        index.rebuild(roots);
        benchmark::DoNotOptimize(index.entries().size());
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_PaletteKeystroke, deploy_prod, "deploy prod")
    ->DenseRange(1, 11, 2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PaletteKeystroke, no_match, "qqqq")->Arg(4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaletteIndex)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
