#pragma once

#include "language/AppLanguage.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

class Preferences;
class QTranslator;

// Interface texts are Simplified Chinese literals that are also their own
// lookup keys. Write keys literally: LanguageManager::localized(QStringLiteral("退出")),
// so the completeness test finds every key in the sources.
//
// The English, Korean and Japanese texts live in <code>.lproj/Localizable.strings
// under tablesDirectory(). Lookups are safe from any thread.
class LanguageManager : public QObject
{
    Q_OBJECT
public:
    // The process-wide instance, reading Preferences::standard().
    static LanguageManager &shared();

    // An instance over its own preferences, for tests. The preferences must
    // outlive the manager.
    explicit LanguageManager(Preferences &preferences, QObject *parent = nullptr);
    ~LanguageManager() override;

    AppLanguage selection() const { return AppLanguage(AppLanguage::Case(m_selection.load())); }
    // Announces selectionChanged(), stores fnkt_language, then announces
    // languageChanged(), so views rebuilt on the latter see the stored value.
    void setSelection(AppLanguage language);
    QString resolvedCode() const { return selection().resolvedCode(); }

    // Puts Qt's own texts (standard dialogs and buttons) into the resolved
    // language. Runs by itself on every change and when the manager is made;
    // call it once more if the application object is created afterwards.
    void installQtTranslations();

    // The text of a key in this manager's language, "%@" filled in order.
    QString text(const QString &key, const QStringList &args = {}) const;

    // The text of a key in the shared manager's language.
    static QString localized(const QString &key, const QStringList &args = {});

    // For texts that follow the platform's locale rather than the chosen
    // interface language (desktop notifications). Keys are English; the
    // zh-Hans, ko and ja tables carry their translations.
    static QString localizedForSystemLocale(const QString &key, const QStringList &args = {});
    static QString systemLocaleCode();

    // The table text for a code ("en", "ko", ...), falling back to the key
    // when there is no table, no entry or an empty entry.
    static QString lookup(const QString &code, const QString &key, const QStringList &args = {});

    // printf-style "%@" filling: each "%@" takes the next argument, "%n$@"
    // takes argument n, "%%" is a percent sign. Arguments are never expanded
    // again, and a missing argument gives empty text.
    static QString format(const QString &pattern, const QStringList &args);
    // The 1-based argument each placeholder of a pattern takes, in order.
    static QList<int> argumentSlots(const QString &pattern);

    // Where the <code>.lproj folders are: the override when set, else beside
    // the executable (resources/ in the build tree, ../share/orlenta when
    // installed), else the data folders (XDG_DATA_DIRS)/orlenta. Empty when
    // none holds a table.
    static QString tablesDirectory();
    // An empty path removes the override.
    static void setTablesDirectoryOverride(const QString &directory);
    static QString tablePath(const QString &code);

Q_SIGNALS:
    // The selection has changed; fnkt_language is not yet written.
    void selectionChanged();
    // The selection has changed and is stored: rebuild texts now.
    void languageChanged();

private:
    Preferences &m_preferences;
    std::atomic<int> m_selection{AppLanguage::system};
    std::unique_ptr<QTranslator> m_qtTranslator;
    QString m_qtTranslationCode = QStringLiteral("en");
};
