#pragma once

#include <QCommandLineOption>
#include <QString>

// Options that mean the same in several commands.
namespace SharedOptions {

QCommandLineOption option(const QString &name, const QString &description,
                          const QString &valueName = QString());

inline const QString json = QStringLiteral("json");
QCommandLineOption jsonOption(); // --json: print JSON instead

inline const QString toFolder = QStringLiteral("to");
QCommandLineOption toFolderOption(); // --to FOLDER: add there instead of the top

} // namespace SharedOptions
