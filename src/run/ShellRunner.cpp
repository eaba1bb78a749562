#include "run/ShellRunner.h"

#include "run/ShellWords.h"

#include "language/LanguageManager.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

#if defined(Q_OS_MACOS)
#include "run/AppleScriptBackEnd.h"
#else
#include "run/LinuxTerminalBackEnd.h"
#endif

#include <QDir>
#include <QPointer>
#include <QProcess>

namespace {
QString absolutePath(const QString &filePath)
{
    if (!QDir::isRelativePath(filePath))
        return filePath;
    QString base = QDir::currentPath();
    if (!base.endsWith(u'/'))
        base += u'/';
    return base + filePath;
}

// A path without its trailing slashes ("/" stays "/").
QString withoutTrailingSlashes(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}
} // namespace

ShellRunner::ShellRunner(std::unique_ptr<TerminalBackEnd> backEnd, Preferences *preferences,
                         QObject *parent)
    : QObject(parent), m_preferences(preferences)
{
    if (!backEnd)
        backEnd = platformBackEnd(m_preferences);
    m_backEnd = backEnd.release();
    m_backEnd->setParent(this);
}

ShellRunner::~ShellRunner() = default;

std::unique_ptr<TerminalBackEnd> ShellRunner::platformBackEnd(Preferences *preferences)
{
#if defined(Q_OS_MACOS)
    Q_UNUSED(preferences);
    return std::make_unique<AppleScriptBackEnd>();
#else
    return std::make_unique<LinuxTerminalBackEnd>(preferences);
#endif
}

QString ShellRunner::directory(const QString &filePath)
{
    const QString path = withoutTrailingSlashes(absolutePath(filePath));
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash <= 0)
        return QStringLiteral("/");
    return path.left(slash);
}

QString ShellRunner::fileName(const QString &filePath)
{
    const QString path = withoutTrailingSlashes(filePath);
    if (path == u"/")
        return path;
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString ShellRunner::argumentText(const std::optional<QString> &argOverride)
{
    return argOverride.value_or(QString()).trimmed();
}

QString ShellRunner::commandLine(const QString &directory, const QString &fileName,
                                 const QString &argumentText)
{
    QString line = QStringLiteral("cd ") + ShellWords::quoted(directory) + QStringLiteral(" && ") +
                   ShellWords::quoted(QStringLiteral("./") + fileName);
    if (!argumentText.isEmpty())
        line += u' ' + argumentText;
    return line;
}

QString ShellRunner::escapedCommand(const QString &commandLine)
{
    // Backslashes first: otherwise a backslash before a quote would end the
    // AppleScript string early and let the rest run as AppleScript.
    QString escaped = commandLine;
    escaped.replace(u'\\', QStringLiteral("\\\\"));
    escaped.replace(u'"', QStringLiteral("\\\""));
    return escaped;
}

QString ShellRunner::doScriptLine(const QString &escapedCommand)
{
    return QStringLiteral("tell application \"Terminal\" to do script \"") + escapedCommand + u'"';
}

QString ShellRunner::echoLine(const QString &directory, const QString &fileName,
                              const QString &argumentText)
{
    QString line = QStringLiteral("$ cd ") + directory + QStringLiteral(" && ./") + fileName;
    if (!argumentText.isEmpty())
        line += u' ' + argumentText;
    return line + u'\n';
}

QString ShellRunner::newWindowForm(const QString &doScriptLine)
{
    return QStringList{QStringLiteral("tell application \"Terminal\" to activate"), doScriptLine}
        .join(u'\n');
}

QString ShellRunner::newTabForm(const QString &doScriptLine)
{
    return QStringList{
        QStringLiteral("tell application \"Terminal\" to activate"),
        QStringLiteral("if (count of windows of application \"Terminal\") is 0 then"),
        QStringLiteral("    ") + doScriptLine,
        QStringLiteral("else"),
        QStringLiteral(
            "    tell application \"System Events\" to keystroke \"t\" using {command down}"),
        QStringLiteral("    delay 0.5"),
        QStringLiteral("    ") + doScriptLine + QStringLiteral(" in front window"),
        QStringLiteral("end if"),
    }
        .join(u'\n');
}

QString ShellRunner::reuseForm(const QString &doScriptLine)
{
    return QStringList{
        QStringLiteral("tell application \"Terminal\" to activate"),
        QStringLiteral("repeat 40 times"),
        QStringLiteral(
            "    if (count of windows of application \"Terminal\") > 0 then exit repeat"),
        QStringLiteral("    delay 0.15"),
        QStringLiteral("end repeat"),
        QStringLiteral("delay 0.3"),
        doScriptLine + QStringLiteral(" in front window"),
    }
        .join(u'\n');
}

QString ShellRunner::appleScript(RunForm form, const QString &doScriptLine)
{
    switch (form) {
    case RunForm::newWindow:
        return newWindowForm(doScriptLine);
    case RunForm::newTab:
        return newTabForm(doScriptLine);
    case RunForm::reuse:
        return reuseForm(doScriptLine);
    }
    return newWindowForm(doScriptLine);
}

RunForm ShellRunner::chooseForm(RunMode runMode, bool terminalRunning)
{
    if (!terminalRunning)
        return RunForm::reuse;
    return runMode == RunMode::tab ? RunForm::newTab : RunForm::newWindow;
}

// "Terminal" is the macOS product; on Linux the log speaks of the chosen terminal.
// clang-format off
QString ShellRunner::modeLine(RunForm form)
{
#if defined(Q_OS_MACOS)
    switch (form) {
    case RunForm::newWindow:
        break;
    case RunForm::newTab:
        return LanguageManager::localized(QStringLiteral("运行模式：在已有 Terminal 窗口新建标签页\n"));
    case RunForm::reuse:
        return LanguageManager::localized(QStringLiteral("运行模式：Terminal 未运行，复用其启动时的初始窗口\n"));
    }
    return LanguageManager::localized(QStringLiteral("运行模式：每次运行新开一个 Terminal 窗口\n"));
#else
    switch (form) {
    case RunForm::newWindow:
        break;
    case RunForm::newTab:
        return LanguageManager::localized(QStringLiteral("运行模式：在已打开的终端窗口中新建标签页\n"));
    case RunForm::reuse:
        return LanguageManager::localized(QStringLiteral("运行模式：终端未运行，使用它启动时打开的窗口\n"));
    }
    return LanguageManager::localized(QStringLiteral("运行模式：每次运行新开一个终端窗口\n"));
#endif
}

QString ShellRunner::handedOverLine()
{
#if defined(Q_OS_MACOS)
    return LanguageManager::localized(QStringLiteral("已在系统 Terminal 中执行：\n"));
#else
    return LanguageManager::localized(QStringLiteral("已交给终端执行：\n"));
#endif
}

QString ShellRunner::openFailedLine(const QString &error)
{
#if defined(Q_OS_MACOS)
    return LanguageManager::localized(QStringLiteral("打开 Terminal 失败：%@"), {error});
#else
    return LanguageManager::localized(QStringLiteral("打开终端失败：%@"), {error});
#endif
}
// clang-format on

void ShellRunner::openInTerminal(const ShellNode &script, const std::optional<QString> &argOverride,
                                 ChunkHandler onChunk, StatusHandler onStatus)
{
    // A back end that broke its promise must not make a folder run step twice.
    auto delivered = std::make_shared<bool>(false);
    StatusHandler deliverOnce = [delivered, onStatus](int status) {
        Q_ASSERT(!*delivered);
        if (*delivered)
            return;
        *delivered = true;
        onStatus(status);
    };

    if (!script.filePath || script.filePath->isEmpty()) {
        onChunk(LanguageManager::localized(QStringLiteral("错误：脚本路径为空")) + u'\n');
        deliverOnce(1);
        return;
    }

    if (const QString why = m_backEnd->refusal(*script.filePath); !why.isEmpty()) {
        onChunk(why + u'\n');
        deliverOnce(1);
        return;
    }

    const HandOverText text = HandOverText::build(*script.filePath, argOverride);
    onChunk(handedOverLine());
    onChunk(text.echoLine);

    Preferences &preferences = m_preferences ? *m_preferences : Preferences::standard();
    const RunForm form =
        chooseForm(PreferenceKeys::runMode.read(preferences), m_backEnd->isTerminalRunning());
    onChunk(modeLine(form));

    QPointer<ShellRunner> self(this);
    m_backEnd->run(form, text, onChunk,
                   [self, form, text, onChunk, deliverOnce](int status, const QString &errorText) {
                       if (self)
                           self->complete(form, text, status, errorText, onChunk, deliverOnce);
                   });
}

void ShellRunner::complete(RunForm form, const HandOverText &text, int status,
                           const QString &errorText, const ChunkHandler &onChunk,
                           const StatusHandler &onStatus)
{
    if (status == 0) {
        onStatus(0);
        return;
    }
    const QString error = errorText.trimmed();
    // clang-format off
    if (form != RunForm::newTab) {
        onChunk(u'\n' + openFailedLine(error) + u'\n');
#if defined(Q_OS_MACOS)
        onChunk(LanguageManager::localized(QStringLiteral("请到「系统设置 › 隐私与安全性 › 自动化」中允许本 App 控制「Terminal」。\n")));
#else
        onChunk(LanguageManager::localized(QStringLiteral("请确认所选终端已安装，并能在当前桌面会话中启动（设置 › 运行）。\n")));
#endif
        onStatus(status);
        return;
    }

#if defined(Q_OS_MACOS)
    onChunk(LanguageManager::localized(QStringLiteral("⚠️ 新建标签页失败（通常是因为 Orlenta 未在「系统设置 › 隐私与安全性 › 辅助功能」中获授权）。\n")));
    onChunk(LanguageManager::localized(QStringLiteral("已自动回退为「新开窗口」运行。\n")));
    onChunk(LanguageManager::localized(QStringLiteral("如需真正的新标签页，请到上述设置中允许 Orlenta 控制电脑，然后重试。\n")));
#else
    onChunk(LanguageManager::localized(QStringLiteral("⚠️ 新建标签页失败（该终端可能不支持从外部新建标签页，或没有在运行）。\n")));
    onChunk(LanguageManager::localized(QStringLiteral("已自动回退为「新开窗口」运行。\n")));
    onChunk(LanguageManager::localized(QStringLiteral("如需真正的新标签页，请按 README 中该终端的说明设置后重试。\n")));
#endif
    if (!error.isEmpty())
        onChunk(LanguageManager::localized(QStringLiteral("原始错误：%@\n"), {error}));
    // clang-format on

    // One fallback at most: its status is final, whatever it is.
    m_backEnd->run(RunForm::newWindow, text, onChunk,
                   [onStatus](int fallbackStatus, const QString &) { onStatus(fallbackStatus); });
}
