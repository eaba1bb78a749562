#include "cli/commands/SharedOptions.h"

namespace SharedOptions {

QCommandLineOption option(const QString &name, const QString &description, const QString &valueName)
{
    return QCommandLineOption(name, description, valueName);
}

QCommandLineOption jsonOption()
{
    return option(json, QStringLiteral("Print JSON instead."));
}

QCommandLineOption toFolderOption()
{
    return option(toFolder, QStringLiteral("Add into FOLDER (path or id) instead of the top."),
                  QStringLiteral("FOLDER"));
}

} // namespace SharedOptions
