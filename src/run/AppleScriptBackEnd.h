#pragma once

#include "run/ShellRunner.h"

#include <functional>

// Hands runs to Terminal through the AppleScript runner (macOS).
class AppleScriptBackEnd : public TerminalBackEnd
{
    Q_OBJECT
public:
    static QString defaultRunnerPath() { return QStringLiteral("/usr/bin/osascript"); }

    // Tests give a fake runner and their own answer to "is Terminal running".
    explicit AppleScriptBackEnd(QString runnerPath = defaultRunnerPath(),
                                std::function<bool()> terminalRunning = {},
                                QObject *parent = nullptr);

    bool isTerminalRunning() override;
    void run(RunForm form, const HandOverText &text, const ChunkHandler &onChunk,
             RunCompletion completion) override;

private:
    QString m_runnerPath;
    std::function<bool()> m_terminalRunning;
};
