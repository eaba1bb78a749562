// 1,000 text lookups in English: reading the table from disk on every lookup
// against the parsed table kept per file (path, size, times), and the Chinese
// path that reads no table.
#include "language/LanguageManager.h"
#include "language/StringsTable.h"
#include "settings/Preferences.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const QString tables = QStringLiteral(ORLENTA_SOURCE_DIR "/resources");
const QString version = QStringLiteral("版本 %@（构建 %@）");
const QStringList keys = {QStringLiteral("退出"), QStringLiteral("运行全部"),
                          QStringLiteral("打开管理窗口"), version,
                          QStringLiteral("运行模式：每次运行新开一个 Terminal 窗口\n")};
const QStringList args = {QStringLiteral("1.2"), QStringLiteral("45")};
constexpr int lookups = 1000;

void readEveryTime(benchmark::State &state)
{
    const QString path = tables + QStringLiteral("/en.lproj/Localizable.strings");
    for (auto _ : state) {
        for (int i = 0; i < lookups; ++i) {
            const QString &key = keys.at(i % keys.size());
            const StringsTable table = StringsTable::fromFile(path);
            QString text = LanguageManager::format(table.value(key).value_or(key), args);
            benchmark::DoNotOptimize(text);
        }
    }
}
BENCHMARK(readEveryTime)->Name("1000 lookups, table read each time")->Unit(benchmark::kMillisecond);

void cachedTable(benchmark::State &state)
{
    LanguageManager::setTablesDirectoryOverride(tables);
    for (auto _ : state) {
        for (int i = 0; i < lookups; ++i) {
            QString text =
                LanguageManager::lookup(QStringLiteral("en"), keys.at(i % keys.size()), args);
            benchmark::DoNotOptimize(text);
        }
    }
}
BENCHMARK(cachedTable)->Name("1000 lookups, cached table")->Unit(benchmark::kMillisecond);

void chinese(benchmark::State &state)
{
    QTemporaryDir home;
    Preferences preferences(home.filePath(QStringLiteral("preferences.ini")));
    LanguageManager manager(preferences);
    manager.setSelection(AppLanguage::zhHans);
    for (auto _ : state) {
        for (int i = 0; i < lookups; ++i) {
            QString text = manager.text(keys.at(i % keys.size()), args);
            benchmark::DoNotOptimize(text);
        }
    }
}
BENCHMARK(chinese)->Name("1000 lookups, zh-Hans")->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
