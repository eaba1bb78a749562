#pragma once

#include "run/TerminalProcess.h"

#include <QObject>
#include <QString>

#if defined(Q_OS_LINUX)
#include <sys/types.h>

class QSocketNotifier;

namespace TerminalProcess {

// One terminal started in the background, in a session of its own, watched
// until it is judged and until it ends (to reap it), without polling.
class BackgroundStart : public QObject
{
public:
    BackgroundStart(QObject *owner, QString name, QString marker, ChunkHandler onChunk,
                    RunCompletion completion);
    ~BackgroundStart() override;
    // Returns the errno of a failed start, 0 when it runs.
    int start(const Request &request, const QString &program);
    void watch(int graceMs);

private:
    static void closeFd(int &fd);
    // The notifier is off before its descriptor closes: polling a closed one
    // makes Qt warn "QSocketNotifier: Invalid socket".
    void stopWatchingEnd();
    void judge(int status, const QString &error);
    // Without a pidfd nothing tells of its end: it is left to the system.
    void finishIfDone();
    void graceOver();
    void reaped();
    QString readErrors() const;

    QString m_name;
    QString m_marker;
    ChunkHandler m_onChunk;
    RunCompletion m_completion;
    pid_t m_pid = -1;
    int m_pidfd = -1;
    int m_errors = -1;
    int m_graceMs = 0;
    bool m_judged = false;
    bool m_ended = false;
    QSocketNotifier *m_endNotifier = nullptr;
};

} // namespace TerminalProcess
#endif
