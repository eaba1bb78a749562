#pragma once

#include "run/ShellRunner.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

// Starting the processes that hand a command to a terminal.
namespace TerminalProcess {

struct Request
{
    QString program;
    QStringList arguments;
    std::optional<QProcessEnvironment> environment; // none: inherited
    int timeoutMs = 0;                              // 0: wait for as long as it takes
    QString displayName;                            // for the time-out message
};

// A launcher that hands the request over and exits (the AppleScript runner,
// gnome-terminal's client, ...). Both pipes are read while it runs. Reports
// "诊断" when it wrote to standard output and "启动失败" when it cannot start;
// completion gets its exit status (128 + signal when it crashed) and its
// standard error. A launcher still running after timeoutMs is killed and
// counts as failed.
void runAttached(QObject *owner, const Request &request, const ChunkHandler &onChunk,
                 RunCompletion completion, const std::function<void()> &onStarted = {});

// A terminal that stays in the foreground for as long as its window lives,
// started in a session of its own so that it outlives us. Watched for
// graceMs: ending with an error then is a failed start (its status, and the
// first line of its standard error in the error text); ending well, starting
// a program of its own (the shell running the command) or still running at
// the end is a start that took. Reports "启动失败" when it cannot start.
void startInBackground(QObject *owner, const Request &request, int graceMs,
                       const ChunkHandler &onChunk, RunCompletion completion,
                       const std::function<void()> &onStarted = {});

// Undecodable bytes read as empty text.
QString decodeUtf8(const QByteArray &bytes);

} // namespace TerminalProcess
