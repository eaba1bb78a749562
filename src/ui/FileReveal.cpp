#include "ui/FileReveal.h"

#include "language/LanguageManager.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFileInfo>

namespace FileReveal {

QString actionText()
{
#ifdef Q_OS_MACOS
    return LanguageManager::localized(QStringLiteral("在 Finder 中显示"));
#else
    return LanguageManager::localized(QStringLiteral("在文件管理器中显示"));
#endif
}

void showInFileManager(const QString &path)
{
    showInFileManager(path, QDBusConnection::sessionBus(),
                      [](const QUrl &folder) { QDesktopServices::openUrl(folder); });
}

void showInFileManager(const QString &path, const QDBusConnection &bus,
                       const std::function<void(const QUrl &folder)> &openFolder)
{
    const QFileInfo info(path);
    const QUrl folder = QUrl::fromLocalFile(info.absolutePath());
    if (!bus.isConnected()) {
        openFolder(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(info.absoluteFilePath()).toString()} << QString();
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, folder, openFolder] {
                         if (watcher->isError())
                             openFolder(folder);
                         watcher->deleteLater();
                     });
}

} // namespace FileReveal
