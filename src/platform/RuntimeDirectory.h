#pragma once

#include <QString>

// Bare X sessions (Xvfb, a lone window manager, su) leave XDG_RUNTIME_DIR
// unset, and Qt then warns about it on every start. Give the process a
// private folder instead, quietly. The folder lies in the user's own cache
// folder: any name under /tmp could be taken first by another user. (The
// running instance is not found through it: shells of one user disagree on
// the variable.)
namespace RuntimeDirectory {

// <cacheRoot>/orlenta/runtime-<host name>; the host name keeps machines that
// share a home apart. Without a cacheRoot, the user's cache folder.
QString fallback(const QString &cacheRoot = QString());

// Sets XDG_RUNTIME_DIR to the fallback when it is unset and that folder is
// (or can be made) a 0700 directory of ours. Returns the folder in use, or
// an empty string when the variable stays unset.
QString ensure(const QString &cacheRoot = QString());

} // namespace RuntimeDirectory
