#pragma once

#include "run/HandOverText.h"
#include "run/RunForm.h"

#include <QObject>
#include <QString>

#include <functional>

using ChunkHandler = std::function<void(const QString &chunk)>;
using StatusHandler = std::function<void(int status)>;
// The status of one launcher run and its error text (standard error, untrimmed).
using RunCompletion = std::function<void(int status, const QString &errorText)>;

// One way of getting a command line into a terminal: the AppleScript runner
// on macOS, terminal emulators on Linux.
class TerminalBackEnd : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    // Launchers still running are killed without reporting to anyone.
    ~TerminalBackEnd() override;

    virtual bool isTerminalRunning() = 0;
    // Why a script cannot be handed over at all, as one line (its file is
    // gone, there is no graphical session), or empty. Asked before anything
    // is reported.
    virtual QString refusal(const QString &filePath);
    // Runs one form. Reports its own "诊断" and "启动失败" chunks through onChunk
    // and calls completion exactly once.
    virtual void run(RunForm form, const HandOverText &text, const ChunkHandler &onChunk,
                     RunCompletion completion) = 0;

Q_SIGNALS:
    // The launcher process has been started (fork and exec done).
    void launcherStarted();
};
