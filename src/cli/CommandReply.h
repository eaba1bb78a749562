#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class ShellStore;

// Where the answer to a command goes.
struct CommandOutput
{
    std::function<void(const QString &text)> standardOutput;
    std::function<void(const QString &text)> standardError;
    // Called exactly once, perhaps before execute() returns.
    std::function<void(int status)> finished;
};

// The answer to one command: text on either stream, then one exit status.
// Nothing is reported once its context is gone (the client went away) or
// after the status.
class CommandReply
{
public:
    CommandReply(const ShellStore &store, QObject *context, CommandOutput output);

    // Names, paths and presets come from documents others may write: no
    // control character reaches the terminal raw.
    void out(const QString &text);
    void err(const QString &text);
    void finish(int status);
    // One line on standard error and status 2: refused, nothing changed.
    void fail(const QString &line);
    // After a change: success on standard output and 0, or only the reason
    // and 1 when the document could not be saved.
    void finishSaved(const QString &success = QString());
    // An edit that did not go through: why, as a refusal, or the failed save.
    void refused();
    // What cannot be reached (a document, a profile) and its missing folder;
    // status 1, nothing changed.
    void notReachable(const QString &what, const QString &folder);

private:
    bool alive() const { return !m_guarded || m_context; }

    const ShellStore &m_store;
    QPointer<QObject> m_context;
    bool m_guarded;
    CommandOutput m_output;
    bool m_finished = false;
};
