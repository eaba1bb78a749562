#pragma once

#include "cli/CommandLine.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class CommandExecutor;
class RunController;
class ShellStore;
class InstanceServer;
class SingleInstance;

// How a started process meets the running instance: it either hands its
// command over and relays the answer, or, when none runs, becomes the one
// that acts on the document.
namespace InstanceElection {

struct Streams
{
    std::function<void(const QString &)> standardOutput;
    std::function<void(const QString &)> standardError;
};
// The process's own stdout and stderr, flushed after every piece so a run
// log shows as it is written.
Streams processStreams();

// A command without windows. With an instance running it is carried out
// there; otherwise by carryOutHere in this process, holding the lock so that
// no instance starts meanwhile. Returns the exit status.
int runCommand(const QStringList &arguments, SingleInstance &instance,
               const std::function<int()> &carryOutHere, const Streams &streams);

// Carries a command out in this process on the user's own library, as the
// fallback of runCommand when no instance runs.
int carryOutInProcess(const Command &command, const Streams &streams);
// The same on a given store and run controller. The store's diagnostics go
// to standard error, except its save failure, which the command reports.
int carryOutInProcess(const Command &command, const Streams &streams, ShellStore &store,
                      RunController &runs);

// A start of the app (no command, open, settings). With an instance running
// it is asked to show its window and the exit status is returned; otherwise
// this process is now the instance, listening, and nothing is returned.
std::optional<int> joinOrBecomeInstance(const QStringList &arguments, SingleInstance &instance,
                                        const Streams &streams);

// Answers the requests of later starts with the executor.
void serve(InstanceServer &server, CommandExecutor &executor);

} // namespace InstanceElection
