#include "cli/CommandContext.h"
#include "cli/CommandRow.h"

CommandRow openCommand()
{
    return {
        .words = QStringLiteral("open"),
        .description = QStringLiteral("Open the management window."),
        .needsWindows = true,
        .carryOut = [](CommandContext &c) { c.openWindow(c.windows.openManagementWindow); },
    };
}
