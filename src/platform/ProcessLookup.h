#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// Whether a program runs among the current user's own processes.
namespace ProcessLookup {

struct ProcessInfo
{
    QString shortName;     // the kernel's name, cut to 15 characters on Linux
    QString executable;    // resolved executable path, empty when unreadable
    QStringList arguments; // the command line, argv[0] first
};

// True when the process is one of the named programs. Long names are cut by
// the kernel, so they are matched on the executable or the command line.
bool matches(const ProcessInfo &process, const QStringList &names);

// Looks through the processes of the current user (Linux: the /proc tree
// under procRoot; macOS: the kernel's process table).
bool isRunning(const QStringList &names, const QString &procRoot = QStringLiteral("/proc"));

// The ids of those processes (Linux only).
QList<qint64> processIDs(const QStringList &names,
                         const QString &procRoot = QStringLiteral("/proc"), bool firstOnly = false);

// The paths of the Unix sockets a process of the user listens on, abstract
// ones with a leading "@" (Linux only).
QStringList listeningSockets(qint64 processID, const QString &procRoot = QStringLiteral("/proc"));

// The user's processes started by a process, oldest first (Linux only).
QList<qint64> childProcessIDs(qint64 parent, const QString &procRoot = QStringLiteral("/proc"));

// The environment a process of the user was started with (Linux only).
QHash<QString, QString> environmentOf(qint64 processID,
                                      const QString &procRoot = QStringLiteral("/proc"));

} // namespace ProcessLookup
