#include "platform/LoginItemService.h"

#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <syslog.h>

namespace {

// The Exec key of a desktop entry: a path with reserved characters goes in
// double quotes with \ " ` $ escaped; a literal % is %% (else it starts a
// field code); then the value itself escapes backslashes and line breaks.
QString quoteExec(const QString &path)
{
    static const QString reserved = QStringLiteral(" \t\n\r\"'\\><~|&;$*?#()`");
    bool needsQuotes = false;
    for (const QChar c : path)
        needsQuotes = needsQuotes || reserved.contains(c);
    QString argument;
    if (needsQuotes) {
        for (const QChar c : path) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                argument += u'\\';
            argument += c;
        }
        argument = u'"' + argument + u'"';
    } else {
        argument = path;
    }
    argument.replace(u'%', QStringLiteral("%%"));
    argument.replace(u'\\', QStringLiteral("\\\\"));
    argument.replace(u'\n', QStringLiteral("\\n"));
    argument.replace(u'\t', QStringLiteral("\\t"));
    argument.replace(u'\r', QStringLiteral("\\r"));
    return argument;
}

} // namespace

LoginItemService::LoginItemService(QString autostartDirectory, QString executable)
    : m_directory(std::move(autostartDirectory)), m_executable(std::move(executable))
{}

LoginItemService LoginItemService::system()
{
    return LoginItemService(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            QStringLiteral("/autostart"),
        QCoreApplication::applicationFilePath());
}

QString LoginItemService::entryPath() const
{
    return m_directory + QStringLiteral("/orlenta.desktop");
}

LoginItemService::Status LoginItemService::status() const
{
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly))
        return Status::notRegistered;
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.left(eq).trimmed();
        const QByteArray value = line.mid(eq + 1).trimmed();
        if ((key == "Hidden" && value == "true") ||
            (key == "X-GNOME-Autostart-enabled" && value == "false"))
            return Status::notRegistered;
    }
    return Status::enabled;
}

QByteArray LoginItemService::entryText() const
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Orlenta\n"
                                  "Comment=Shell script launcher in the system tray\n"
                                  "Exec=%1\n"
                                  "Icon=org.orlenta.Orlenta\n"
                                  "Terminal=false\n"
                                  "X-GNOME-Autostart-enabled=true\n")
                       .arg(quoteExec(m_executable));
    return text.toUtf8();
}

std::optional<QString> LoginItemService::registerItem()
{
    if (!QDir().mkpath(m_directory))
        return QStringLiteral("cannot create the folder %1").arg(m_directory);
    QSaveFile file(entryPath());
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(entryText()) < 0) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

std::optional<QString> LoginItemService::unregisterItem()
{
    QFile file(entryPath());
    if (!file.exists())
        return std::nullopt;
    if (!file.remove())
        return file.errorString();
    return std::nullopt;
}

void writeSystemLog(const QString &line)
{
    openlog("orlenta", LOG_PID, LOG_USER);
    syslog(LOG_ERR, "%s", line.toUtf8().constData());
    closelog();
}

void updateLoginItem(bool enable, LoginItemService &service, Preferences &preferences,
                     const std::function<void(const QString &)> &log)
{
    const bool enabled = service.status() == LoginItemService::Status::enabled;
    if (enable == enabled)
        return;
    const std::optional<QString> error = enable ? service.registerItem() : service.unregisterItem();
    if (!error)
        return;
    log(QStringLiteral("Orlenta: 设置登录项失败: ") + *error);
    PreferenceKeys::launchAtLogin.write(preferences,
                                        service.status() == LoginItemService::Status::enabled);
}
