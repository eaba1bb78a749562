#include "platform/DisplayPlatform.h"

#include <QDir>
#include <QLibraryInfo>

namespace {
bool hasPlugin(const QString &pluginFolder, const QString &pattern)
{
    return !QDir(pluginFolder).entryList({pattern}, QDir::Files).isEmpty();
}
} // namespace

namespace DisplayPlatform {

Choice choose(const QProcessEnvironment &environment, const QString &pluginFolder)
{
    if (!environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        return {};
    const bool waylandSession =
        environment.value(QStringLiteral("XDG_SESSION_TYPE")) == u"wayland" ||
        !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
    const bool x11 = !environment.value(QStringLiteral("DISPLAY")).isEmpty() &&
                     hasPlugin(pluginFolder, QStringLiteral("libqxcb*.so"));
    const bool wayland =
        waylandSession && hasPlugin(pluginFolder, QStringLiteral("libqwayland*.so"));
    // Qt's own choice stands where it works (it keeps GNOME on X11).
    if (wayland)
        return {x11 ? QString() : QStringLiteral("wayland"), {}};
    if (x11)
        return {QStringLiteral("xcb"), {}}; // through Xwayland, not an abort

    if (waylandSession)
        return {{},
                QStringLiteral("this is a Wayland session, but Qt's Wayland platform plugin is not "
                               "installed (Debian: apt install qt6-wayland) and there is no X "
                               "display (DISPLAY) to fall back to")};
    return {{},
            QStringLiteral("no graphical session to show the tray on: neither WAYLAND_DISPLAY nor "
                           "DISPLAY is set (commands such as \"orlenta list\" work without one)")};
}

QString apply()
{
    const Choice choice =
        choose(QProcessEnvironment::systemEnvironment(),
               QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    if (!choice.platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", choice.platform.toLocal8Bit());
    return choice.error;
}

} // namespace DisplayPlatform
