#include "library/Profile.h"

const QUuid Profile::localProfileID{QStringLiteral("00000000-0000-0000-0000-00000000000A")};
const QUuid Profile::iCloudProfileID{QStringLiteral("00000000-0000-0000-0000-00000000000B")};
