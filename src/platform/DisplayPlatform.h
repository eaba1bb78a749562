#pragma once

#include <QProcessEnvironment>
#include <QString>

// Which Qt platform plugin the windows can use. On a Wayland session Qt asks
// for its Wayland plugin alone and aborts when that plugin (Debian's
// qt6-wayland) is missing, even with Xwayland at hand; without any display
// it aborts too.
namespace DisplayPlatform {

struct Choice
{
    QString platform; // for QT_QPA_PLATFORM; empty: leave Qt's own choice
    QString error;    // why no window can be shown; empty when one can
};

// environment: QT_QPA_PLATFORM (a user's choice is kept), XDG_SESSION_TYPE,
// WAYLAND_DISPLAY, DISPLAY. pluginFolder: Qt's platforms plugin folder.
Choice choose(const QProcessEnvironment &environment, const QString &pluginFolder);

// choose() for this process, applied: sets QT_QPA_PLATFORM when needed and
// returns the error, if any.
QString apply();

} // namespace DisplayPlatform
