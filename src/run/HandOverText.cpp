#include "run/HandOverText.h"

#include "run/ShellRunner.h"

HandOverText HandOverText::build(const QString &filePath, const std::optional<QString> &argOverride)
{
    HandOverText text;
    text.directory = ShellRunner::directory(filePath);
    text.fileName = ShellRunner::fileName(filePath);
    text.argumentText = ShellRunner::argumentText(argOverride);
    text.commandLine = ShellRunner::commandLine(text.directory, text.fileName, text.argumentText);
    text.escapedCommand = ShellRunner::escapedCommand(text.commandLine);
    text.doScriptLine = ShellRunner::doScriptLine(text.escapedCommand);
    text.echoLine = ShellRunner::echoLine(text.directory, text.fileName, text.argumentText);
    return text;
}
