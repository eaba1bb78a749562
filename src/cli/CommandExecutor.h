#pragma once

#include "cli/CommandLine.h"

#include "library/ShellNode.h"

#include <QObject>
#include <QPointer>
#include <QString>

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

// Carries out a parsed command against the store and the run controller,
// the same whether the command came in through the running instance or is
// carried out in the process that parsed it. Errors are one line on standard
// error and status 2, with nothing changed.
class CommandExecutor : public QObject
{
    Q_OBJECT
public:
    struct Output
    {
        std::function<void(const QString &text)> standardOutput;
        std::function<void(const QString &text)> standardError;
        // Called exactly once, perhaps before execute() returns.
        std::function<void(int status)> finished;
    };

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
    class Reply;
    void list(const Command &command, Reply &reply);
    void run(const Command &command, const std::shared_ptr<Reply> &reply);
    void add(const Command &command, const QString &workingDirectory, Reply &reply);
    void import(const Command &command, const QString &workingDirectory, Reply &reply);
    void mkdir(const Command &command, Reply &reply);
    void rename(const Command &command, Reply &reply);
    void remove(const Command &command, Reply &reply);
    void move(const Command &command, Reply &reply);
    void setArgs(const Command &command, Reply &reply);
    void profileList(const Command &command, Reply &reply);
    void profileSwitch(const Command &command, Reply &reply);
    void profileOpen(const Command &command, const QString &workingDirectory, Reply &reply);
    void profileRemove(const Command &command, Reply &reply);
    void startRun(const ShellNode &node, const std::optional<QString> &arg,
                  const std::shared_ptr<Reply> &reply);
    std::optional<ShellNode> findNode(const QString &reference, Reply &reply) const;
    // The folder named, or the top level when nothing is named; empty after an error.
    std::optional<std::optional<QUuid>> findParent(const std::optional<QString> &reference,
                                                   Reply &reply) const;
    void window(const std::function<void()> &request, Reply &reply);
    // After a change: success on standard output and 0, or only the reason
    // and 1 when the document could not be saved.
    void finishSaved(Reply &reply, const QString &success = QString());
    // An edit that did not go through: why, as a refusal, or the failed save.
    void refused(Reply &reply);

    ShellStore &m_store;
    RunController &m_runs;
    WindowRequests m_windows;
};
