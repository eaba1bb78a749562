#include "platform/BuildInfo.h"

// Generated at every build; only this file includes it, so a new commit
// recompiles one file.
#include "BuildNumber.h"

QString BuildInfo::version()
{
    return QStringLiteral(ORLENTA_VERSION);
}

QString BuildInfo::number()
{
    return QStringLiteral(ORLENTA_BUILD_NUMBER);
}
