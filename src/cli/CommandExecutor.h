#pragma once

#include "cli/CommandContext.h"
#include "cli/CommandLine.h"
#include "cli/CommandReply.h"

#include <QObject>
#include <QString>

#include <functional>

class RunController;
class ShellStore;

// Carries out a parsed command against the store and the run controller,
// the same whether the command came in through the running instance or is
// carried out in the process that parsed it. Errors are one line on standard
// error and status 2, with nothing changed.
class CommandExecutor : public QObject
{
    Q_OBJECT
public:
    using Output = CommandOutput;

    CommandExecutor(ShellStore &store, RunController &runs, QObject *parent = nullptr);
    ~CommandExecutor() override;

    void setWindowRequests(WindowRequests requests) { m_windows = std::move(requests); }

    // Relative file names are taken from workingDirectory. Once context is
    // destroyed (the client went away) nothing more is reported; a run goes on.
    void execute(const Command &command, const QString &workingDirectory, QObject *context,
                 Output output);
    // Parses first; a parse error is reported like any other.
    void execute(const QStringList &arguments, const QString &workingDirectory, QObject *context,
                 Output output);

    // Runs the command and waits for it in a local event loop; the exit status.
    int executeAndWait(const Command &command, const QString &workingDirectory,
                       const std::function<void(const QString &)> &standardOutput,
                       const std::function<void(const QString &)> &standardError);

private:
    ShellStore &m_store;
    RunController &m_runs;
    WindowRequests m_windows;
};
