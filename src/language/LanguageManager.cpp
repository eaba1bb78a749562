#include "language/LanguageManager.h"

#include "language/StringsTable.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>
#include <QThread>
#include <QTranslator>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString tableFileName = QStringLiteral("Localizable.strings");

struct FileStamp
{
    qint64 size = -1;
    qint64 modified = 0; // nanoseconds where the platform has them
    qint64 changed = 0;
    qint64 inode = 0;

    bool operator==(const FileStamp &) const = default;
};

// A plain stat: QFileInfo's local-time QDateTime costs more than the rest of
// a lookup together.
std::optional<FileStamp> stampOf(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    constexpr qint64 nano = 1000000000;
#ifdef Q_OS_DARWIN
    return FileStamp{qint64(st.st_size), st.st_mtimespec.tv_sec * nano + st.st_mtimespec.tv_nsec,
                     st.st_ctimespec.tv_sec * nano + st.st_ctimespec.tv_nsec, qint64(st.st_ino)};
#else
    return FileStamp{qint64(st.st_size), st.st_mtim.tv_sec * nano + st.st_mtim.tv_nsec,
                     st.st_ctim.tv_sec * nano + st.st_ctim.tv_nsec, qint64(st.st_ino)};
#endif
#else
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    return FileStamp{info.size(), info.lastModified().toMSecsSinceEpoch(),
                     info.metadataChangeTime().toMSecsSinceEpoch(), 0};
#endif
}

// Reading and parsing a table on every lookup costs far more than a lookup
// may (bench_language), so parsed tables are kept and read afresh only when
// the file's size, times or inode change.
struct CachedTable
{
    FileStamp stamp;
    std::shared_ptr<const StringsTable> table;
};

struct TableState
{
    QMutex mutex;
    QString directoryOverride;
    bool directoryResolved = false;
    QString directory;
    QHash<QString, CachedTable> cache;
};

TableState &tableState()
{
    static TableState state;
    return state;
}

bool holdsTables(const QString &directory)
{
    if (directory.isEmpty())
        return false;
    const QDir dir(directory);
    for (const char *code : {"en", "ko", "ja"}) {
        if (QFileInfo(dir.filePath(QLatin1StringView(code) + u".lproj"_s)).isDir())
            return true;
    }
    return false;
}

QString findTablesDirectory()
{
    QStringList candidates;
    if (QCoreApplication::instance()) {
        const QString appDir = QCoreApplication::applicationDirPath();
        // The build tree, then the installed tree: the data folder as seen from
        // the binary's, so any prefix works.
        candidates << appDir + u"/resources"_s
                   << appDir + u'/' + QStringLiteral(ORLENTA_DATA_FROM_BINARY);
    }
    candidates << QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                            QStringLiteral("orlenta"),
                                            QStandardPaths::LocateDirectory);
    for (const QString &candidate : std::as_const(candidates)) {
        if (holdsTables(candidate))
            return QDir::cleanPath(candidate);
    }
    return QString();
}

// Called with the state's mutex held.
QString tablesDirectoryLocked(TableState &state)
{
    if (!state.directoryOverride.isEmpty())
        return state.directoryOverride;
    if (!state.directoryResolved) {
        state.directory = findTablesDirectory();
        // Before the application object exists its folder is unknown: ask again later.
        state.directoryResolved = QCoreApplication::instance() != nullptr;
    }
    return state.directory;
}

std::shared_ptr<const StringsTable> tableFor(const QString &code)
{
    TableState &state = tableState();
    QMutexLocker locker(&state.mutex);
    const QString directory = tablesDirectoryLocked(state);
    // A code is a language tag, never a path.
    if (directory.isEmpty() || code.isEmpty() || code.contains(u'/') || code.contains(u'.'))
        return nullptr;
    const QString path = directory + u'/' + code + u".lproj/"_s + tableFileName;
    const std::optional<FileStamp> stamp = stampOf(path);
    if (!stamp) {
        state.cache.remove(path);
        return nullptr;
    }
    CachedTable &cached = state.cache[path];
    if (!cached.table || cached.stamp != *stamp) {
        cached.table = std::make_shared<const StringsTable>(StringsTable::fromFile(path));
        cached.stamp = *stamp;
    }
    return cached.table;
}

} // namespace

LanguageManager::LanguageManager(Preferences &preferences, QObject *parent)
    : QObject(parent), m_preferences(preferences)
{
    m_selection.store(PreferenceKeys::language.read(m_preferences));
    installQtTranslations();
}

LanguageManager::~LanguageManager() = default;

void LanguageManager::installQtTranslations()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return;
    const QString code = resolvedCode();
    if (code == m_qtTranslationCode)
        return;
    m_qtTranslationCode = code;
    if (m_qtTranslator) {
        QCoreApplication::removeTranslator(m_qtTranslator.get());
        m_qtTranslator.reset();
    }
    if (code == u"en") // Qt's own texts are English
        return;
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QLocale(code), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator.get()))
        m_qtTranslator = std::move(translator);
}

LanguageManager &LanguageManager::shared()
{
    static LanguageManager instance(Preferences::standard());
    return instance;
}

void LanguageManager::setSelection(AppLanguage language)
{
    const bool changed = m_selection.exchange(language) != language;
    if (changed)
        Q_EMIT selectionChanged();
    // Stored even when unchanged, so an unknown stored text gets replaced.
    PreferenceKeys::language.write(m_preferences, language);
    if (changed) {
        installQtTranslations();
        Q_EMIT languageChanged();
    }
}

QString LanguageManager::text(const QString &key, const QStringList &args) const
{
    const QString code = resolvedCode();
    if (code == u"zh-Hans")
        return format(key, args);
    return lookup(code, key, args);
}

QString LanguageManager::localized(const QString &key, const QStringList &args)
{
    return shared().text(key, args);
}

QString LanguageManager::systemLocaleCode()
{
    for (const QString &entry : AppLanguage::preferredLanguages()) {
        const QString language = entry.section(u'-', 0, 0).toLower();
        if (language == u"zh")
            return QStringLiteral("zh-Hans");
        if (language == u"en" || language == u"ko" || language == u"ja")
            return language;
    }
    return QStringLiteral("en");
}

QString LanguageManager::localizedForSystemLocale(const QString &key, const QStringList &args)
{
    return lookup(systemLocaleCode(), key, args);
}

QString LanguageManager::lookup(const QString &code, const QString &key, const QStringList &args)
{
    const std::shared_ptr<const StringsTable> table = tableFor(code);
    if (table && table->isValid()) {
        const std::optional<QString> text = table->value(key);
        if (text && !text->isEmpty())
            return format(*text, args);
    }
    return format(key, args);
}

namespace {

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// Visits a pattern's pieces: literal runs and placeholders (1-based slot).
template <typename Literal, typename Slot>
void scanPattern(const QString &pattern, Literal literal, Slot slot)
{
    int next = 1;
    qsizetype from = 0;
    qsizetype i = 0;
    const qsizetype n = pattern.size();
    while (i < n) {
        if (pattern.at(i) != u'%' || i + 1 >= n) {
            ++i;
            continue;
        }
        const QChar c = pattern.at(i + 1);
        if (c == u'@') {
            literal(QStringView(pattern).sliced(from, i - from));
            slot(next++);
            i += 2;
            from = i;
        } else if (c == u'%') {
            literal(QStringView(pattern).sliced(from, i + 1 - from));
            i += 2;
            from = i;
        } else if (isAsciiDigit(c)) {
            qsizetype j = i + 1;
            int index = 0;
            while (j < n && isAsciiDigit(pattern.at(j)) && index < 1000)
                index = index * 10 + (pattern.at(j++).unicode() - '0');
            if (index > 0 && j + 1 < n && pattern.at(j) == u'$' && pattern.at(j + 1) == u'@') {
                literal(QStringView(pattern).sliced(from, i - from));
                slot(index);
                i = j + 2;
                from = i;
            } else {
                ++i;
            }
        } else {
            ++i;
        }
    }
    literal(QStringView(pattern).sliced(from));
}

} // namespace

QString LanguageManager::format(const QString &pattern, const QStringList &args)
{
    if (!pattern.contains(u'%'))
        return pattern;
    QString result;
    result.reserve(pattern.size() + 16 * args.size());
    scanPattern(
        pattern, [&result](QStringView piece) { result += piece; },
        [&result, &args](int slot) {
            if (slot <= args.size())
                result += args.at(slot - 1);
        });
    return result;
}

QList<int> LanguageManager::argumentSlots(const QString &pattern)
{
    QList<int> taken;
    scanPattern(
        pattern, [](QStringView) {}, [&taken](int slot) { taken.append(slot); });
    return taken;
}

QString LanguageManager::tablesDirectory()
{
    TableState &state = tableState();
    QMutexLocker locker(&state.mutex);
    return tablesDirectoryLocked(state);
}

void LanguageManager::setTablesDirectoryOverride(const QString &directory)
{
    TableState &state = tableState();
    QMutexLocker locker(&state.mutex);
    state.directoryOverride = directory.isEmpty() ? QString() : QDir::cleanPath(directory);
    state.directoryResolved = false;
    state.cache.clear();
}

QString LanguageManager::tablePath(const QString &code)
{
    const QString directory = tablesDirectory();
    return directory.isEmpty() ? QString() : directory + u'/' + code + u".lproj/"_s + tableFileName;
}
