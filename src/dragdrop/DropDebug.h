#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// The diagnostic log of drag-and-drop decisions. Failures never reach the user.
namespace DropDebug {

// The path in ORLENTA_DROP_LOG when that is set; else "/tmp/orlenta-drop.log"
// in a Debug build and nothing (no log) in any other.
QString defaultLogPath();
QString logPath();
// Tests point the log elsewhere; an empty path restores the default.
void setLogPath(const QString &path);

// The process identifier, read once.
qint64 pid();

// "pid=<pid> <yyyy-MM-dd HH:mm:ss +0000> <message>\n" in UTF-8.
QByteArray entry(const QString &message, const QDateTime &time);

// A list as log lines write it: ["a", "b"], with quotes and backslashes escaped.
QString listNotation(const QStringList &items);

// Appends one entry, unless there is no log path. The file must be a regular file of our own: a link or
// anything else planted at the path is left alone and nothing is written.
void log(const QString &message);

} // namespace DropDebug
