#include "cli/CommandReply.h"

#include "cli/NodePath.h"
#include "library/ShellStore.h"

CommandReply::CommandReply(const ShellStore &store, QObject *context, CommandOutput output)
    : m_store(store), m_context(context), m_guarded(context != nullptr), m_output(std::move(output))
{}

void CommandReply::out(const QString &text)
{
    if (!m_finished && alive() && m_output.standardOutput)
        m_output.standardOutput(NodePath::escapeControls(text));
}

void CommandReply::err(const QString &text)
{
    if (!m_finished && alive() && m_output.standardError)
        m_output.standardError(NodePath::escapeControls(text));
}

void CommandReply::finish(int status)
{
    if (m_finished)
        return;
    m_finished = true;
    if (alive() && m_output.finished)
        m_output.finished(status);
}

void CommandReply::fail(const QString &line)
{
    err(QStringLiteral("orlenta: %1\n").arg(line));
    finish(2);
}

void CommandReply::finishSaved(const QString &success)
{
    if (const std::optional<QString> &error = m_store.lastSaveError()) {
        err(QStringLiteral("orlenta: could not save %1: %2\n")
                .arg(m_store.currentDocumentPath(), *error));
        finish(1);
        return;
    }
    if (!success.isEmpty())
        out(success);
    finish(0);
}

void CommandReply::refused()
{
    if (const std::optional<QString> &why = m_store.lastEditError())
        fail(*why);
    else
        finishSaved();
}

void CommandReply::notReachable(const QString &what, const QString &folder)
{
    err(QStringLiteral("orlenta: %1 is not reachable: its folder %2 is missing (a disk that is "
                       "not mounted?)\n")
            .arg(what, folder));
    finish(1);
}
