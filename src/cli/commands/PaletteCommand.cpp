#include "cli/CommandContext.h"
#include "cli/CommandRow.h"

CommandRow paletteCommand()
{
    return {
        .words = QStringLiteral("palette"),
        .description = QStringLiteral("Show the quick-run palette: type, then Enter runs."),
        .needsWindows = true,
        .carryOut = [](CommandContext &c) { c.openWindow(c.windows.openPalette); },
    };
}
