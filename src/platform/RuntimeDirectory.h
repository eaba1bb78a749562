#pragma once

#include <QString>

// Bare X sessions (Xvfb, a lone window manager) leave XDG_RUNTIME_DIR unset,
// and Qt then warns about it on every start. Give the process the private
// folder Qt would fall back to, quietly, so every Orlenta process (the tray
// app and command-line clients alike) agrees on the same runtime folder.
namespace RuntimeDirectory {
// Sets XDG_RUNTIME_DIR to <tmp>/runtime-<uid> when it is unset and that folder
// is (or can be made) a 0700 directory of ours. Returns the folder in use, or
// an empty string when the variable stays unset.
QString ensure(const QString &tempRoot);
} // namespace RuntimeDirectory
