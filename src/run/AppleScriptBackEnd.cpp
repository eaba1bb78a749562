#include "run/AppleScriptBackEnd.h"

#include "platform/ProcessLookup.h"
#include "run/TerminalProcess.h"

AppleScriptBackEnd::AppleScriptBackEnd(QString runnerPath, std::function<bool()> terminalRunning,
                                       QObject *parent)
    : TerminalBackEnd(parent), m_runnerPath(std::move(runnerPath)),
      m_terminalRunning(std::move(terminalRunning))
{}

bool AppleScriptBackEnd::isTerminalRunning()
{
    if (m_terminalRunning)
        return m_terminalRunning();
    return ProcessLookup::isRunning({QStringLiteral("Terminal")});
}

void AppleScriptBackEnd::run(RunForm form, const HandOverText &text, const ChunkHandler &onChunk,
                             RunCompletion completion)
{
    TerminalProcess::Request request;
    request.program = m_runnerPath;
    request.arguments = {QStringLiteral("-e"), ShellRunner::appleScript(form, text.doScriptLine)};
    // No time-out: the runner may wait on the user's answer to a permission prompt.
    TerminalProcess::runAttached(this, request, onChunk, std::move(completion),
                                 [this] { Q_EMIT launcherStarted(); });
}
