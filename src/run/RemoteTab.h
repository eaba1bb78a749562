#pragma once

#include "run/TerminalBackEnd.h"
#include "run/TerminalCatalogue.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// A tab in a running konsole or qterminal, opened through the D-Bus
// interface of that instance with the bus's own command-line clients
// (dbus-send; gdbus where a dictionary is passed). The command is typed into
// the new tab's shell, so the terminal never parses or expands it.
namespace RemoteTab {

// True for the terminals whose tabs are opened this way.
bool handles(Terminal::Kind kind);

// The bus name a running instance owns: org.kde.konsole-<pid>,
// org.lxqt.QTerminal-<pid>.
QString serviceName(Terminal::Kind kind, qint64 processID);

// What is typed: a leading space keeps it out of the shell's history, exec
// lets the wrapper's shell take the tab over; quoted for any login shell.
QString typedCommand(const QStringList &command);

struct Request
{
    Terminal::Kind kind = Terminal::Kind::konsole;
    QString service;
    QString directory; // where konsole starts the tab's shell
    QStringList command;
    QProcessEnvironment environment; // PATH finds the clients, the bus address
    int timeoutMs = 10000;           // for each call
};

// Calls completion once: 0 when the command was typed into a new tab, else a
// status and why.
void open(QObject *owner, const Request &request, const ChunkHandler &onChunk,
          RunCompletion completion);

} // namespace RemoteTab
