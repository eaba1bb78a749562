#pragma once

#include <QString>

#include <functional>
#include <optional>

class Preferences;

// Opening at login through an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/orlenta.desktop).
class LoginItemService
{
public:
    enum class Status { enabled, notRegistered };

    LoginItemService(QString autostartDirectory, QString executable);
    virtual ~LoginItemService() = default;

    // The user's autostart folder and this program.
    static LoginItemService system();

    QString entryPath() const;
    // Only an entry that the desktop would start counts as enabled.
    virtual Status status() const;
    // std::nullopt on success, else a description of the failure.
    virtual std::optional<QString> registerItem();
    virtual std::optional<QString> unregisterItem();

    QByteArray entryText() const;

private:
    QString m_directory;
    QString m_executable;
};

// Writes one line to the system log.
void writeSystemLog(const QString &line);

// Brings the registration in line with enable. On failure: one line
// "Orlenta: 设置登录项失败: <description>" to log, and fnkt_launchAtLogin
// corrected from the real status.
void updateLoginItem(bool enable, LoginItemService &service, Preferences &preferences,
                     const std::function<void(const QString &)> &log = writeSystemLog);
