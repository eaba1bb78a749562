#pragma once

#include "settings/PreferenceKeys.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// A selectable interface language. Wraps the plain enumeration so that the
// cases read as AppLanguage::en and the value carries its own operations.
class AppLanguage
{
public:
    // The cases are those fnkt_language stores.
    using Case = StoredLanguage::Case;
    using enum StoredLanguage::Case;

    constexpr AppLanguage(Case value = system) : m_value(value) {}
    constexpr operator Case() const { return m_value; }

    // The five cases in the order the language list shows them.
    static QList<AppLanguage> allCases();

    QString toRaw() const;
    static std::optional<AppLanguage> fromRaw(QStringView raw);
    QString id() const { return toRaw(); }

    // The language's own name; never translated, so everyone finds theirs.
    QString displayName() const;

    // The concrete table code: "zh-Hans", "en", "ko" or "ja". For system it is
    // detected afresh on every call.
    QString resolvedCode() const;

    // The concrete language when the system is followed; never system.
    static AppLanguage detect();
    static AppLanguage detect(const QStringList &preferredLanguages);

    // The platform's ordered preferred languages (BCP 47, e.g. "en-US").
    static QStringList preferredLanguages();
    // Replaces the platform's list until reset with std::nullopt; for tests.
    static void setPreferredLanguagesOverride(const std::optional<QStringList> &languages);

private:
    Case m_value;
};
