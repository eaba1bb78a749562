#pragma once

#include "ui/IconMap.h"

#include <QImage>

#include <optional>

class QRect;

// Which variant of the tray symbol a panel needs.
namespace TrayPanelTone {

// The panel's tone from a grab of the icon's place: the top and bottom rows,
// where the symbol leaves the panel showing. Nothing for an empty grab.
std::optional<PanelTone> fromGrab(const QImage &grab);

// place: the tray icon's place on screen (QSystemTrayIcon::geometry()). An
// XEmbed tray shows the icon on the panel there, so a grab of it tells; a
// StatusNotifierItem host draws the icon itself (no place), so the desktop's
// colour scheme, or without one the application's palette, stands in.
PanelTone of(const QRect &place);

} // namespace TrayPanelTone
