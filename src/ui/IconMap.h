#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

// Icons are named by system symbol names ("terminal", "folder.fill", …);
// this is the one place that turns such a name into an icon.
// The tone of the panel that shows the tray icon.
enum class PanelTone { light, dark };

namespace IconMap {

// The bundled SVG resource for a symbol name, or an empty string.
QString resourceFor(const QString &symbol);

// A monochrome icon drawn in the application palette's text colour at paint
// time, so it follows a change between light and dark. A null icon for an
// unknown name.
QIcon icon(const QString &symbol);

// The symbol drawn in one given colour (its alpha included), cached; for
// views that colour icons by state, such as the sidebar rows. A null pixmap
// for an unknown name.
QPixmap pixmap(const QString &symbol, const QSize &size, const QColor &color, qreal scale = 1.0);

// Every symbol name the map knows.
QStringList symbols();

// The tray symbol "image-shell": monochrome, readable on light and dark panels.
QIcon trayIcon();

// The tray symbol in the variant for a panel of that tone.
QIcon trayIcon(PanelTone panel);

// The full-colour application icon for windows and desktop files.
QIcon applicationIcon();

} // namespace IconMap
