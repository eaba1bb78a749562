#pragma once

#include <QProcessEnvironment>
#include <QString>

#include <functional>
#include <memory>

class LoginItemService;
class Preferences;
class QWidget;
class TerminalBackEnd;

// What the settings pages reach beyond the store. standard() gives the real
// ones; tests replace any of them.
struct SettingsServices
{
    // Null: the standard preferences.
    Preferences *preferences = nullptr;
    std::shared_ptr<LoginItemService> loginItems;
    std::function<void(const QString &line)> systemLog;
    // A fresh back end for the terminal trial.
    std::function<std::unique_ptr<TerminalBackEnd>()> terminalBackEnd;
    // For the list of installed terminals and the automatic choice.
    QProcessEnvironment environment;
    // Where the terminal trial writes its script.
    QString scratchFolder;
    // Empty in a build without an update feed: no check is offered.
    std::function<void()> checkForUpdates;
    std::function<void(const QString &path)> reveal;
    // The folder the user picked, or empty when cancelled.
    std::function<QString(QWidget *parent, const QString &start)> chooseFolder;
    QString version;
    QString build;

    Preferences &preferencesOrStandard() const;

    static SettingsServices standard();
};
