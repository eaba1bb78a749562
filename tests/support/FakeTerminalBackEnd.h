#pragma once

#include "run/ShellRunner.h"

#include <QStringList>
#include <QTimer>

#include <functional>

// Takes every hand-over without a terminal: records the command line, reports
// one chunk, and completes later from the event loop with the next status of
// its list (0 when the list runs out).
class FakeTerminalBackEnd : public TerminalBackEnd
{
public:
    using ChunkText = std::function<QString(const HandOverText &)>;

    FakeTerminalBackEnd(ChunkText chunkText, int delayMs)
        : m_chunkText(std::move(chunkText)), m_delayMs(delayMs)
    {}

    QStringList commandLines;
    QList<int> statuses;

    bool isTerminalRunning() override { return true; }
    // Its scripts need not exist.
    QString refusal(const QString &) override { return {}; }
    void run(RunForm, const HandOverText &text, const ChunkHandler &onChunk,
             RunCompletion completion) override
    {
        const int status = statuses.value(commandLines.size(), 0);
        commandLines << text.commandLine;
        onChunk(m_chunkText(text));
        QTimer::singleShot(m_delayMs, this,
                           [completion, status] { completion(status, QString()); });
    }

private:
    ChunkText m_chunkText;
    int m_delayMs;
};
