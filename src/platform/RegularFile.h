#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

// Reading files that someone else may have put in place. Opening a named
// pipe waits for a writer, a device may never answer: only a regular file
// is ever opened for reading, and the open itself never waits.
namespace RegularFile {

// Opens path read-only into file when it is a regular file (a link to one
// is followed). On failure file stays closed and error says why.
bool open(QFile &file, const QString &path, QString *error = nullptr);

// The whole file, or nothing with the reason in error.
std::optional<QByteArray> readAll(const QString &path, QString *error = nullptr);

} // namespace RegularFile
