#pragma once

#include "settings/Preference.h"

#include <QLatin1StringView>

// The value sets that options store by their text.
enum class RunMode { window, tab };
enum class AppearanceMode { system, light, dark };
enum class SortMode { custom, name };
// The selectable interface languages (AppLanguage carries their operations).
namespace StoredLanguage {
enum Case : int { system, zhHans, en, ko, ja };
}

// Every preference option, defined once: key, type and the reader's default.
// The stored texts are those earlier versions wrote; stored files rely on them.
namespace PreferenceKeys {
inline constexpr PreferenceChoice<StoredLanguage::Case, 5> language{
    QLatin1StringView("fnkt_language"),
    StoredLanguage::system,
    {{{StoredLanguage::system, QLatin1StringView("system")},
      {StoredLanguage::zhHans, QLatin1StringView("zh-Hans")},
      {StoredLanguage::en, QLatin1StringView("en")},
      {StoredLanguage::ko, QLatin1StringView("ko")},
      {StoredLanguage::ja, QLatin1StringView("ja")}}}};
inline constexpr PreferenceChoice<AppearanceMode, 3> appearance{
    QLatin1StringView("fnkt_appearance"),
    AppearanceMode::system,
    {{{AppearanceMode::system, QLatin1StringView("system")},
      {AppearanceMode::light, QLatin1StringView("light")},
      {AppearanceMode::dark, QLatin1StringView("dark")}}}};
// Only the exact text "tab" selects tabs.
inline constexpr PreferenceChoice<RunMode, 2> runMode{
    QLatin1StringView("fnkt_runMode"),
    RunMode::window,
    {{{RunMode::window, QLatin1StringView("window")}, {RunMode::tab, QLatin1StringView("tab")}}}};
inline constexpr Preference<bool> launchAtLogin{QLatin1StringView("fnkt_launchAtLogin"), false};
// Absent until the start-up choice of a profile writes it.
inline const Preference<QString> currentProfileID{QLatin1StringView("fnkt_currentProfileID")};
// A JSON array of the custom profiles; absent means none.
inline const Preference<QByteArray> customProfiles{QLatin1StringView("fnkt_customProfiles")};
// Any other text is ignored and the in-memory order stays "custom".
inline constexpr PreferenceChoice<SortMode, 2> sortMode{
    QLatin1StringView("fnkt_sortMode"),
    SortMode::custom,
    {{{SortMode::custom, QLatin1StringView("custom")},
      {SortMode::name, QLatin1StringView("name")}}}};
// An older setting, never written: only the text "true" chose the cloud.
inline constexpr PreferenceChoice<bool, 1> syncICloud{
    QLatin1StringView("fnkt_syncICloud"), false, {{{true, QLatin1StringView("true")}}}};
// The toolbar's display mode; 0 keeps the toolbar's own and is never stored.
inline constexpr Preference<qint64> toolbarDisplayMode{QLatin1StringView("fnkt_toolbarDisplayMode"),
                                                       0};
// Linux only: which terminal takes the runs (a name, a path or a command).
inline constexpr PreferenceTextOrAutomatic terminal{QLatin1StringView("fnkt_terminal"),
                                                    QLatin1StringView("automatic")};
// The quick-run palette's recent runs, newest first (a JSON array).
inline const Preference<QString> recentRuns{QLatin1StringView("fnkt_recentRuns")};
// The synchronised folder (Nextcloud, Dropbox, Syncthing…) that stands in for
// the cloud drive (absent or empty = the default folder).
inline const Preference<QString> syncFolder{QLatin1StringView("fnkt_syncFolder")};
} // namespace PreferenceKeys
