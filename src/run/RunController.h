#pragma once

#include "library/ShellNode.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class RunHistory;
class ShellRunner;
class ShellStore;

// The observable state of runs: each script of a node is handed to the
// terminal in turn, and the hand-overs are logged in output.
class RunController : public QObject
{
    Q_OBJECT
public:
    // No runner: one of its own, for the platform's terminal. A given runner
    // is not owned and must outlive the controller.
    explicit RunController(QObject *parent = nullptr, ShellRunner *runner = nullptr);
    ~RunController() override;

    const QString &output() const { return m_output; }
    bool isRunning() const { return m_isRunning; }
    const QString &currentNodeName() const { return m_currentNodeName; }

    // Returns at once; the scripts of the node are handed over one after
    // another from the event loop. A node without scripts changes nothing.
    // A second run while one is going is not refused: both proceed.
    // Returns the number the run's own signals carry; 0 when nothing runs.
    quint64 run(const ShellNode &node, ShellStore &store,
                std::optional<QString> arg = std::nullopt);

    // The output pane's clear button.
    void clearOutput();

    ShellRunner &runner() const { return *m_runner; }

    // Where every run is remembered (not owned); none by default.
    void setHistory(RunHistory *history) { m_history = history; }

    static QString header(const QString &name);

Q_SIGNALS:
    void outputChanged();
    void isRunningChanged();
    void currentNodeNameChanged();
    // For whoever follows one run among others (the command line): each piece
    // of its log as it is appended, each hand-over's status, and its end.
    void runAppended(quint64 run, const QString &text);
    void scriptHandedOver(quint64 run, const QString &name, int status);
    void runFinished(quint64 run);

private:
    struct Task;
    void runScripts(const std::shared_ptr<Task> &task);
    void handOverNext(const std::shared_ptr<Task> &task);
    void append(quint64 run, const QString &text);
    void setOutput(const QString &output);
    void setRunning(bool running);
    void setCurrentNodeName(const QString &name);

    ShellRunner *m_runner;
    RunHistory *m_history = nullptr;
    QString m_output;
    bool m_isRunning = false;
    QString m_currentNodeName;
    quint64 m_lastRun = 0;
};
