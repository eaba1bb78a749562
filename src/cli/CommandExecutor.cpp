#include "cli/CommandExecutor.h"

#include "cli/CommandRow.h"
#include "library/ShellStore.h"

#include <QEventLoop>

#include <memory>

CommandExecutor::CommandExecutor(ShellStore &store, RunController &runs, QObject *parent)
    : QObject(parent), m_store(store), m_runs(runs)
{}

CommandExecutor::~CommandExecutor() = default;

void CommandExecutor::execute(const QStringList &arguments, const QString &workingDirectory,
                              QObject *context, Output output)
{
    const ParsedCommandLine parsed = CommandLine::parse(arguments);
    if (!parsed.command) {
        CommandReply(m_store, context, std::move(output)).fail(parsed.error);
        return;
    }
    execute(*parsed.command, workingDirectory, context, std::move(output));
}

int CommandExecutor::executeAndWait(const Command &command, const QString &workingDirectory,
                                    const std::function<void(const QString &)> &standardOutput,
                                    const std::function<void(const QString &)> &standardError)
{
    QEventLoop loop;
    std::optional<int> status;
    execute(command, workingDirectory, &loop,
            {standardOutput, standardError, [&status, &loop](int s) {
                 status = s;
                 loop.quit();
             }});
    if (!status)
        loop.exec();
    return status.value_or(2);
}

void CommandExecutor::execute(const Command &command, const QString &workingDirectory,
                              QObject *context, Output output)
{
    auto reply = std::make_shared<CommandReply>(m_store, context, std::move(output));
    CommandContext carrying{command, m_store, m_runs, m_windows, workingDirectory, reply, this};
    switch (command.kind) {
    case Command::Kind::help:
        reply->out(command.text);
        reply->finish(0);
        return;
    case Command::Kind::start:
        carrying.openWindow(m_windows.openManagementWindow);
        return;
    case Command::Kind::command:
        if (const CommandRow *row = CommandTable::find(command.name); row && row->carryOut) {
            if (row->usesDocument && !m_store.checkReachable()) {
                reply->notReachable(
                    QStringLiteral("the document %1").arg(m_store.currentDocumentPath()),
                    m_store.unreachableFolder().value_or(QString()));
                return;
            }
            row->carryOut(carrying);
            return;
        }
        break;
    }
    reply->fail(QStringLiteral("this command is not known here"));
}
