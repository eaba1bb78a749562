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
    // Where standard output goes instead of a "诊断" line (a reply to be read).
    std::function<void(const QString &output)> onOutput;
    // The file the command creates as it starts (see TerminalCatalogue::command);
    // empty: not watched.
    QString startedMarker;
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
// started in a session of its own so that it outlives us. It has taken the
// run once the command has started (the marker appears) or when it is still
// running after graceMs. Ending with an error before that is a failed start
// (its status, and the line of its standard error that says why); ending
// well without the command having started (handed to nowhere) is one too.
// Reports "启动失败" when it cannot start.
void startInBackground(QObject *owner, const Request &request, int graceMs,
                       const ChunkHandler &onChunk, RunCompletion completion,
                       const std::function<void()> &onStarted = {});

// For a launcher that hands the command on and ends: its status 0 counts
// only once the command has been seen to start within ms; after that it is
// a failure that says so. Other statuses pass unchanged. No marker: as is.
RunCompletion awaitingStart(QObject *owner, const QString &marker, int ms, const QString &name,
                            RunCompletion completion);

// The line of a terminal's standard error that says why it ended: one that
// names the display or an error, before banners, notes and warnings about
// something else; else the first line.
QString reasonLine(const QString &errors);

// What a terminal that did not start the command within ms is told.
QString notStarted(const QString &name, int ms);

// Undecodable bytes read as empty text.
QString decodeUtf8(const QByteArray &bytes);

} // namespace TerminalProcess
