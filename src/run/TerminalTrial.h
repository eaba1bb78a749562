#pragma once

#include <QObject>
#include <QString>

class ShellRunner;

// "Try it" for the terminal setting: a harmless script, written to a private
// folder, is handed over exactly as a user's script would be, and the run
// log's last line is reported.
class TerminalTrial : public QObject
{
    Q_OBJECT
public:
    // The runner is not owned and must outlive the trial.
    TerminalTrial(ShellRunner &runner, QString scratchFolder, QObject *parent = nullptr);

    // Ignored while a trial is under way.
    void start();
    bool isRunning() const { return m_running; }

    QString scriptPath() const;
    // The script: it prints one line and ends, leaving the terminal's shell.
    static QByteArray scriptText(const QString &message);

Q_SIGNALS:
    void finished(int status, const QString &resultLine);

private:
    ShellRunner &m_runner;
    QString m_folder;
    bool m_running = false;
};
