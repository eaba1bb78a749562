#pragma once

#include <QLatin1StringView>

// Every preference key, defined once.
namespace PreferenceKeys {
inline constexpr QLatin1StringView language{"fnkt_language"};
inline constexpr QLatin1StringView appearance{"fnkt_appearance"};
inline constexpr QLatin1StringView runMode{"fnkt_runMode"};
inline constexpr QLatin1StringView launchAtLogin{"fnkt_launchAtLogin"};
inline constexpr QLatin1StringView currentProfileID{"fnkt_currentProfileID"};
inline constexpr QLatin1StringView customProfiles{"fnkt_customProfiles"};
inline constexpr QLatin1StringView sortMode{"fnkt_sortMode"};
inline constexpr QLatin1StringView syncICloud{"fnkt_syncICloud"};
inline constexpr QLatin1StringView toolbarDisplayMode{"fnkt_toolbarDisplayMode"};
// Linux only: which terminal takes the runs (absent = automatic).
inline constexpr QLatin1StringView terminal{"fnkt_terminal"};
// The quick-run palette's recent runs, newest first (a JSON array).
inline constexpr QLatin1StringView recentRuns{"fnkt_recentRuns"};
// The synchronised folder (Nextcloud, Dropbox, Syncthing…) that stands in for
// the cloud drive (absent or empty = the default folder).
inline constexpr QLatin1StringView syncFolder{"fnkt_syncFolder"};
} // namespace PreferenceKeys
