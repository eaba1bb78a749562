#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Words of a POSIX shell command line, quoted and split.
namespace ShellWords {

// The whole text in single quotes, a quote inside written '\''. The form of
// the command lines handed to the terminal.
QString quoted(const QString &text);

// True when the word needs no quotes at all.
bool isSafe(const QString &word);

// Single quotes with quotes and backslashes kept outside them, as \' and
// \\: the same word for sh, GLib, fish and csh.
QString portable(const QString &word);

// Portable quoting of every argument, joined by spaces (for terminals that
// take one command string and split it again themselves).
QString join(const QStringList &arguments);

// Words as a POSIX shell splits them: blanks separate, '...' and "..." quote,
// a backslash escapes. nullopt for an unterminated quote.
std::optional<QStringList> split(const QString &text);

} // namespace ShellWords
