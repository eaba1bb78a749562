#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

// Icons are named by system symbol names ("terminal", "folder.fill", …);
// this is the one place that turns such a name into an icon.
namespace IconMap {

// The bundled SVG resource for a symbol name, or an empty string.
QString resourceFor(const QString &symbol);

// A monochrome icon drawn in the application palette's text colour at paint
// time, so it follows a change between light and dark. A null icon for an
// unknown name.
QIcon icon(const QString &symbol);

// Every symbol name the map knows.
QStringList symbols();

// The tray symbol "image-shell": monochrome, readable on light and dark panels.
QIcon trayIcon();

// The full-colour application icon for windows and desktop files.
QIcon applicationIcon();

} // namespace IconMap
