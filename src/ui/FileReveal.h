#pragma once

#include <QDBusConnection>
#include <QString>
#include <QUrl>

#include <functional>

// Shows a file selected in the user's file manager.
namespace FileReveal {

// Asks org.freedesktop.FileManager1 to show the item; when no file manager
// answers on the bus, opens the folder that holds it instead. Never blocks.
void showInFileManager(const QString &path);

// What the action is called on this platform ("在文件管理器中显示" here).
QString actionText();

// The same on another bus, with the fallback replaceable, for tests.
void showInFileManager(const QString &path, const QDBusConnection &bus,
                       const std::function<void(const QUrl &folder)> &openFolder);

} // namespace FileReveal
