#include "cli/CommandContext.h"
#include "cli/CommandSpec.h"

CommandSpec settingsCommand()
{
    return {
        .words = QStringLiteral("settings"),
        .description = QStringLiteral("Open the settings window."),
        .needsWindows = true,
        .carryOut = [](CommandContext &c) { c.openWindow(c.windows.openSettings); },
    };
}
