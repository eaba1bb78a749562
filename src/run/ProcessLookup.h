#pragma once

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

} // namespace ProcessLookup
