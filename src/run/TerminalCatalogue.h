#pragma once

#include "run/ShellRunner.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

// A terminal emulator that takes runs, and how it is asked to.
struct Terminal
{
    enum class Kind {
        gnomeTerminal,
        konsole,
        xfce4Terminal,
        kitty,
        wezterm,
        alacritty,
        foot,
        tilix,
        terminator,
        xterm,
        mateTerminal,
        terminology,
        lxterminal,
        qterminal,
        generic, // any other program following the x-terminal-emulator convention: -e prog args
        custom,  // a command template with a {command} placeholder
    };

    Kind kind = Kind::generic;
    QString executable;         // what is started: a name or a path
    QStringList extraArguments; // generic: before "-e"; custom: the template after the program
    QStringList processNames;   // for the "is it running" question

    QString displayName() const;
    bool operator==(const Terminal &other) const = default;
};

// How one form reaches a terminal: a program and its arguments, and whether it
// stays in the foreground for as long as its window lives (started detached)
// or hands the request over and exits (waited for, its status counts).
struct TerminalLaunch
{
    QString program;
    QStringList arguments;
    bool detached = true;
    bool operator==(const TerminalLaunch &other) const = default;
};

// Which terminal is used, or why none can be.
struct TerminalChoice
{
    std::optional<Terminal> terminal;
    QString error;
};

namespace TerminalCatalogue {

inline constexpr QLatin1StringView placeholder{"{command}"};

// The supported terminals' names, in the order automatic choice tries them.
QStringList knownIDs();
std::optional<Terminal> known(const QString &id, const QString &executable = {});

// What runs inside the terminal: the command line by /bin/sh -c, then the
// user's shell, interactively, in the script's folder, so that the window
// stays open with the script's output. Before anything else it creates the
// file startedMarker (when given), which is how a hand-over is seen to have
// reached the terminal.
QStringList command(const HandOverText &text, const QString &userShell,
                    const QString &startedMarker = {});
QString wrapperScript();

// The same program and words for a terminal that replaces $NAME in what it
// is given (konsole, qterminal): every word goes through printf %b with each
// "$" written as an octal escape, so the terminal finds nothing to expand.
QStringList withoutExpansion(const QStringList &command);

// The launch for a form; nullopt when the terminal cannot do that form from
// outside (tabs; konsole's and qterminal's go through RemoteTab), with the
// reason in *why.
std::optional<TerminalLaunch> launch(const Terminal &terminal, RunForm form,
                                     const QStringList &command,
                                     const QProcessEnvironment &environment,
                                     QString *why = nullptr);

// A stored setting or $TERMINAL: a known name or path, a template holding
// {command}, or any other program (which gets "-e prog args"), its words
// quoted as in a shell.
std::optional<Terminal> fromSetting(const QString &value);

// The terminal preference as PreferenceKeys::terminal reads it (nothing:
// automatic) against this environment: $TERMINAL, the desktop's own terminal, Debian's
// x-terminal-emulator, then the first installed of the known ones. The
// executable of the result is a full path.
TerminalChoice choose(const std::optional<QString> &preference,
                      const QProcessEnvironment &environment);

QString findExecutable(const QString &program, const QProcessEnvironment &environment);

// The known terminals found on the PATH, in catalogue order.
QStringList installedIDs(const QProcessEnvironment &environment);

// kitty's remote-control address among the sockets a kitty process listens
// on (its single-instance socket is not one), or empty.
QString kittyAddress(const QStringList &listeningSockets);

} // namespace TerminalCatalogue
