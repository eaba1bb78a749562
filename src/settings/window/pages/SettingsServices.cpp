#include "settings/window/pages/SettingsServices.h"

#include "language/LanguageManager.h"
#include "platform/BuildInfo.h"
#include "platform/LoginItemService.h"
#include "run/ShellRunner.h"
#include "run/TerminalBackEnd.h"
#include "settings/Preferences.h"
#include "ui/FileReveal.h"
#include "update/UpdateService.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

Preferences &SettingsServices::preferencesOrStandard() const
{
    return preferences ? *preferences : Preferences::standard();
}

SettingsServices SettingsServices::standard()
{
    SettingsServices services;
    services.preferences = &Preferences::standard();
    services.loginItems = std::make_shared<LoginItemService>(LoginItemService::system());
    services.systemLog = writeSystemLog;
    services.terminalBackEnd = [] { return ShellRunner::platformBackEnd(); };
    services.environment = QProcessEnvironment::systemEnvironment();
    services.scratchFolder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (services.scratchFolder.isEmpty())
        services.scratchFolder = QDir::tempPath();
    if (UpdateService::shared().hasFeed())
        services.checkForUpdates = [] { UpdateService::shared().checkForUpdates(); };
    services.reveal = [](const QString &path) { FileReveal::showInFileManager(path); };
    services.chooseFolder = [](QWidget *parent, const QString &start) {
        return QFileDialog::getExistingDirectory(
            parent, LanguageManager::localized(QStringLiteral("选择同步文件夹")), start);
    };
    services.version = BuildInfo::version();
    services.build = BuildInfo::number();
    return services;
}
