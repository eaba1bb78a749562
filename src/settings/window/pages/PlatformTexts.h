#pragma once

#include <QString>

// The settings texts that name a macOS place or product (Finder, iCloud, Mac,
// the menu bar, Sparkle), in the wording of the platform built for: a Linux
// user is told of the file manager, the tray and the sync folder instead.
// Each is looked up in the current language.
namespace PlatformTexts {

// General tab.
QString loginHelp();
QString systemLanguageHelp();

// Sync tab.
QString syncTitle();
QString syncSwitchHelp();
QString syncOnHeadline();
// folderName: the chosen sync folder's name (the macOS wording names none).
QString syncOnDetail(const QString &folderName);
QString syncOffDetail();
QString revealButton();
QString revealHelp();
QString separateFilesNote();
QString firstCopyNote();

// Run tab.
QString newWindowDetail();
QString newTabHint();

// Appearance tab.
QString appearanceNote();

// About tab.
QString tagline();
QString updateHelp();

} // namespace PlatformTexts
