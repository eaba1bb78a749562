#pragma once

#include "settings/Preferences.h"

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <optional>
#include <type_traits>
#include <utility>

// One option of the preference store: its key, its type and the reader's
// default. Nothing is registered with the store; an absent key reads as the
// default at the point of reading.
template <typename T> struct Preference
{
    static_assert(std::is_same_v<T, bool> || std::is_same_v<T, qint64> ||
                      std::is_same_v<T, QString> || std::is_same_v<T, QByteArray>,
                  "the store keeps booleans, integers, texts and data");

    QLatin1StringView key;
    T defaultValue{};

    // What is stored, or nothing when the key is absent.
    std::optional<T> stored(const Preferences &preferences) const
    {
        if constexpr (std::is_same_v<T, bool>)
            return preferences.boolean(key);
        else if constexpr (std::is_same_v<T, qint64>)
            return preferences.integer(key);
        else if constexpr (std::is_same_v<T, QString>)
            return preferences.string(key);
        else
            return preferences.data(key);
    }

    T read(const Preferences &preferences) const
    {
        return stored(preferences).value_or(defaultValue);
    }

    void write(Preferences &preferences, const T &value) const
    {
        if constexpr (std::is_same_v<T, bool>)
            preferences.setBoolean(key, value);
        else if constexpr (std::is_same_v<T, qint64>)
            preferences.setInteger(key, value);
        else if constexpr (std::is_same_v<T, QString>)
            preferences.setString(key, value);
        else
            preferences.setData(key, value);
    }

    bool is(QStringView changedKey) const { return changedKey == key; }
};

// A text option with a fixed set of stored texts, each standing for one value.
// Stored texts compare exactly ("Tab" is not "tab").
template <typename E, std::size_t N> struct PreferenceChoice
{
    QLatin1StringView key;
    E defaultValue;
    std::array<std::pair<E, QLatin1StringView>, N> choices;

    QLatin1StringView toRaw(E value) const
    {
        for (const auto &[choice, raw] : choices)
            if (choice == value)
                return raw;
        return toRaw(defaultValue);
    }

    std::optional<E> fromRaw(QStringView raw) const
    {
        for (const auto &[choice, text] : choices)
            if (raw == text)
                return choice;
        return std::nullopt;
    }

    // An absent key or an unknown text reads as the default.
    E fromStored(const std::optional<QString> &raw) const
    {
        return (raw ? fromRaw(*raw) : std::nullopt).value_or(defaultValue);
    }

    // The stored value when it is one of the choices; nothing when the key is
    // absent or holds any other text.
    std::optional<E> stored(const Preferences &preferences) const
    {
        const std::optional<QString> raw = preferences.string(key);
        return raw ? fromRaw(*raw) : std::nullopt;
    }

    E read(const Preferences &preferences) const { return fromStored(preferences.string(key)); }

    // The value a chooser shows as chosen: the default when the key is absent,
    // none when it holds an unknown text.
    std::optional<E> selection(const Preferences &preferences) const
    {
        const std::optional<QString> raw = preferences.string(key);
        return raw ? fromRaw(*raw) : std::optional<E>(defaultValue);
    }

    void write(Preferences &preferences, E value) const
    {
        preferences.setString(key, toRaw(value));
    }

    bool is(QStringView changedKey) const { return changedKey == key; }
};

// A free text where absence, blanks or one reserved word mean "choose
// automatically"; any other text is kept trimmed.
struct PreferenceTextOrAutomatic
{
    QLatin1StringView key;
    QLatin1StringView automaticText;

    // Nothing means automatic.
    std::optional<QString> fromRaw(const std::optional<QString> &raw) const
    {
        const QString text = raw.value_or(QString()).trimmed();
        if (text.isEmpty() || text == automaticText)
            return std::nullopt;
        return text;
    }

    std::optional<QString> read(const Preferences &preferences) const
    {
        return fromRaw(preferences.string(key));
    }

    void write(Preferences &preferences, const std::optional<QString> &text) const
    {
        preferences.setString(key, text ? *text : QString(automaticText));
    }

    bool is(QStringView changedKey) const { return changedKey == key; }
};
