#pragma once

#include "run/ShellRunner.h"
#include "run/TerminalCatalogue.h"

#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

class Preferences;

// Runs hand-overs in a terminal emulator: the one named by fnkt_terminal, or
// the one chosen automatically. Everything is read afresh on every run.
class LinuxTerminalBackEnd : public TerminalBackEnd
{
    Q_OBJECT
public:
    using RunningCheck = std::function<bool(const QStringList &processNames)>;

    // No preferences: Preferences::standard(), looked up at each run.
    explicit LinuxTerminalBackEnd(Preferences *preferences = nullptr, QObject *parent = nullptr);
    ~LinuxTerminalBackEnd() override;

    // Tests inject these; the defaults are the process's environment, the
    // /proc lookup and ten seconds. The files that tell of a started command
    // lie in a private folder under the environment's XDG_RUNTIME_DIR.
    void setEnvironment(const QProcessEnvironment &environment)
    {
        m_environment = environment;
        m_recent.reset();
    }
    void setRunningCheck(RunningCheck check) { m_isRunning = std::move(check); }
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    // How long a hand-over waits for the command to start; a terminal still
    // running then has taken it (see TerminalProcess).
    void setGracePeriod(int milliseconds) { m_graceMs = milliseconds; }
    void setProcRoot(const QString &procRoot) { m_procRoot = procRoot; }

    TerminalChoice currentTerminal() const;

    bool isTerminalRunning() override;
    QString refusal(const QString &filePath) override;
    void run(RunForm form, const HandOverText &text, const ChunkHandler &onChunk,
             RunCompletion completion) override;

private:
    Preferences *m_preferences;
    QProcessEnvironment m_environment;
    RunningCheck m_isRunning;
    int m_timeoutMs = 10000;
    int m_graceMs = 10000;
    std::unique_ptr<QTemporaryDir> m_markers;
    int m_markerCount = 0;

    QString nextStartedMarker();
    QString m_procRoot = QStringLiteral("/proc");

    void findTabTarget(const Terminal &terminal, QProcessEnvironment &environment) const;

    // The choice of one hand-over serves its running check and its launch.
    struct Recent
    {
        std::optional<QString> preference;
        TerminalChoice choice;
        QElapsedTimer age;
    };
    mutable std::optional<Recent> m_recent;
};
