#include "cli/CommandContext.h"
#include "cli/CommandRow.h"

CommandRow settingsCommand()
{
    return {
        .words = QStringLiteral("settings"),
        .description = QStringLiteral("Open the settings window."),
        .needsWindows = true,
        .carryOut = [](CommandContext &c) { c.openWindow(c.windows.openSettings); },
    };
}
