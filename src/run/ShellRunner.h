#pragma once

#include "library/ShellNode.h"
#include "run/HandOverText.h"
#include "run/RunForm.h"
#include "run/TerminalBackEnd.h"
#include "settings/PreferenceKeys.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class Preferences;

// Hands one script over to the terminal and reports the hand-over as text
// chunks and one final status.
class ShellRunner : public QObject
{
    Q_OBJECT
public:
    // No back end: the platform's own (AppleScript on macOS, terminal
    // emulators elsewhere). No preferences: Preferences::standard(), looked
    // up at each hand-over.
    explicit ShellRunner(std::unique_ptr<TerminalBackEnd> backEnd = nullptr,
                         Preferences *preferences = nullptr, QObject *parent = nullptr);
    ~ShellRunner() override;

    static std::unique_ptr<TerminalBackEnd> platformBackEnd(Preferences *preferences = nullptr);

    TerminalBackEnd &backEnd() const { return *m_backEnd; }

    // onStatus is called exactly once on every path: 1 for a missing path,
    // else the status of the last launcher run (0 on success).
    void openInTerminal(const ShellNode &script, const std::optional<QString> &argOverride,
                        ChunkHandler onChunk, StatusHandler onStatus);

    // The pieces of a hand-over.
    static QString directory(const QString &filePath);
    static QString fileName(const QString &filePath);
    static QString argumentText(const std::optional<QString> &argOverride);
    static QString quoted(const QString &text);
    static QString commandLine(const QString &directory, const QString &fileName,
                               const QString &argumentText);
    static QString escapedCommand(const QString &commandLine);
    static QString doScriptLine(const QString &escapedCommand);
    static QString echoLine(const QString &directory, const QString &fileName,
                            const QString &argumentText);
    static QString newWindowForm(const QString &doScriptLine);
    static QString newTabForm(const QString &doScriptLine);
    static QString reuseForm(const QString &doScriptLine);
    static QString appleScript(RunForm form, const QString &doScriptLine);

    // Chooses the form from the stored run mode and whether the terminal runs.
    static RunForm chooseForm(RunMode runMode, bool terminalRunning);
    static QString modeLine(RunForm form);
    // The log's line before the command, and its line when the terminal could not be opened.
    static QString handedOverLine();
    static QString openFailedLine(const QString &error);

private:
    void complete(RunForm form, const HandOverText &text, int status, const QString &errorText,
                  const ChunkHandler &onChunk, const StatusHandler &onStatus);

    Preferences *m_preferences;
    TerminalBackEnd *m_backEnd; // child of this
};
