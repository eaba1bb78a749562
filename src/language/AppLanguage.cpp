#include "language/AppLanguage.h"

#include <QLocale>
#include <QMutex>
#include <QMutexLocker>

namespace {
struct PreferredOverride
{
    QMutex mutex;
    std::optional<QStringList> languages;
};

PreferredOverride &preferredOverride()
{
    static PreferredOverride instance;
    return instance;
}
} // namespace

QList<AppLanguage> AppLanguage::allCases()
{
    return {system, zhHans, en, ko, ja};
}

QString AppLanguage::toRaw() const
{
    return PreferenceKeys::language.toRaw(m_value);
}

std::optional<AppLanguage> AppLanguage::fromRaw(QStringView raw)
{
    if (const std::optional<Case> language = PreferenceKeys::language.fromRaw(raw))
        return AppLanguage(*language);
    return std::nullopt;
}

QString AppLanguage::displayName() const
{
    switch (m_value) {
    case system:
        return QStringLiteral("跟随系统");
    case zhHans:
        return QStringLiteral("中文");
    case en:
        return QStringLiteral("English");
    case ko:
        return QStringLiteral("한국어");
    case ja:
        return QStringLiteral("日本語");
    }
    return QString();
}

QString AppLanguage::resolvedCode() const
{
    const AppLanguage concrete = m_value == system ? detect() : *this;
    return concrete.toRaw();
}

AppLanguage AppLanguage::detect()
{
    return detect(preferredLanguages());
}

AppLanguage AppLanguage::detect(const QStringList &preferredLanguages)
{
    for (const QString &entry : preferredLanguages) {
        // Only the part before the first "-" counts: "en_US" is not English.
        const QString language = entry.section(u'-', 0, 0).toLower();
        if (language == u"ko")
            return ko;
        if (language == u"ja")
            return ja;
        if (language == u"en")
            return en;
    }
    return zhHans;
}

QStringList AppLanguage::preferredLanguages()
{
    PreferredOverride &override = preferredOverride();
    {
        QMutexLocker locker(&override.mutex);
        if (override.languages)
            return *override.languages;
    }
    return QLocale::system().uiLanguages();
}

void AppLanguage::setPreferredLanguagesOverride(const std::optional<QStringList> &languages)
{
    PreferredOverride &override = preferredOverride();
    QMutexLocker locker(&override.mutex);
    override.languages = languages;
}
