#pragma once

#include "cli/Command.h"
#include "cli/CommandReply.h"
#include "library/ShellNode.h"

#include <functional>
#include <memory>
#include <optional>

class RunController;
class ShellStore;

// What the command line may ask of the app's windows. Empty members mean
// there are none (a command carried out in its own process).
struct WindowRequests
{
    std::function<void()> openManagementWindow; // raise it, or open it when closed
    std::function<void()> openSettings;
    std::function<void()> openPalette;
};

// What a command works with while it is carried out. It lives only while
// the handler runs; what follows the command later (a run) keeps the reply.
struct CommandContext
{
    const Command &command;
    ShellStore &store;
    RunController &runs;
    const WindowRequests &windows;
    // Relative file names are the client's: taken from here.
    const QString &workingDirectory;
    std::shared_ptr<CommandReply> reply;
    // Parent of what follows the command after it returned (a run).
    QObject *owner;

    // The node named, or nothing when the refusal was reported.
    std::optional<ShellNode> findNode(const QString &reference) const;
    // The folder named, or the top level when nothing is named; empty after
    // the refusal was reported.
    std::optional<std::optional<QUuid>> findParent(const std::optional<QString> &reference) const;
    QString absolutePath(const QString &file) const;
    // Asks for a window and answers; refused where there are no windows.
    void openWindow(const std::function<void()> &request) const;
};
