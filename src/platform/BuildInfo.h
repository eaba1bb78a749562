#pragma once

#include <QString>

// The version of the project and the number of this build.
namespace BuildInfo {
QString version();
// ORLENTA_BUILD when the build was given one, else the commit count of the
// git checkout it was built from, else "0".
QString number();
} // namespace BuildInfo
