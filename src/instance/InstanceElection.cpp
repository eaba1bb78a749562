#include "instance/InstanceElection.h"

#include "cli/CommandExecutor.h"
#include "cli/NodePath.h"
#include "instance/InstanceClient.h"
#include "instance/InstanceServer.h"
#include "instance/SingleInstance.h"
#include "library/ShellStore.h"
#include "platform/Locations.h"
#include "run/RunController.h"
#include "run/RunHistory.h"
#include "settings/Preferences.h"

#include <QDir>

#include <cstdio>

namespace InstanceElection {
namespace {
void write(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

int forward(const QStringList &arguments, SingleInstance &instance, const Streams &streams)
{
    InstanceClient client(instance.takeConnection());
    return client.exchange(arguments, QDir::currentPath(), streams.standardOutput,
                           streams.standardError);
}

int failed(SingleInstance &instance, const Streams &streams)
{
    streams.standardError(QStringLiteral("orlenta: %1\n").arg(instance.errorString()));
    return 2;
}

// A status when another instance answered (or the election failed); nothing
// when this process is the instance now.
std::optional<int> elect(const QStringList &arguments, SingleInstance &instance,
                         const Streams &streams)
{
    switch (instance.elect()) {
    case SingleInstance::Role::secondary:
        return forward(arguments, instance, streams);
    case SingleInstance::Role::failed:
        return failed(instance, streams);
    case SingleInstance::Role::primary:
        break;
    }
    return std::nullopt;
}
} // namespace

Streams processStreams()
{
    return {[](const QString &text) { write(stdout, text); },
            [](const QString &text) { write(stderr, text); }};
}

int runCommand(const QStringList &arguments, SingleInstance &instance,
               const std::function<int()> &carryOutHere, const Streams &streams)
{
    if (const std::optional<int> status = elect(arguments, instance, streams))
        return *status;
    const int status = carryOutHere();
    instance.release();
    return status;
}

int carryOutInProcess(const Command &command, const Streams &streams)
{
    ShellStore store(Preferences::standard(), Locations::system());
    RunController runs;
    RunHistory history(Preferences::standard());
    runs.setHistory(&history);
    return carryOutInProcess(command, streams, store, runs);
}

int carryOutInProcess(const Command &command, const Streams &streams, ShellStore &store,
                      RunController &runs)
{
    // Its diagnostics must not mix with output meant for a script; a failed
    // save is the command's own one line, not a second one from the store.
    store.setLineSink([&streams, &store](const QString &line) {
        if (!store.lastSaveError() || !line.startsWith(ShellStore::saveFailedPrefix))
            streams.standardError(NodePath::escapeControls(line) + u'\n');
    });
    CommandExecutor executor(store, runs);
    return executor.executeAndWait(command, QDir::currentPath(), streams.standardOutput,
                                   streams.standardError);
}

std::optional<int> joinOrBecomeInstance(const QStringList &arguments, SingleInstance &instance,
                                        const Streams &streams)
{
    if (const std::optional<int> status = elect(arguments, instance, streams))
        return *status;
    if (!instance.listen()) {
        // Still the only instance (the lock is ours); later starts cannot
        // reach it, so say why once.
        streams.standardError(QStringLiteral("orlenta: %1\n").arg(instance.errorString()));
    }
    return std::nullopt;
}

void serve(InstanceServer &server, CommandExecutor &executor)
{
    server.setHandler([&executor](InstanceRequest *request) {
        executor.execute(request->arguments(), request->workingDirectory(), request,
                         {[request](const QString &text) { request->writeStandardOutput(text); },
                          [request](const QString &text) { request->writeStandardError(text); },
                          [request](int status) { request->finish(status); }});
    });
}

} // namespace InstanceElection
