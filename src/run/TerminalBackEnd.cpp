#include "run/TerminalBackEnd.h"

#include "language/LanguageManager.h"

#include <QFileInfo>
#include <QProcess>

TerminalBackEnd::~TerminalBackEnd()
{
    for (QProcess *process : findChildren<QProcess *>())
        process->disconnect();
}

QString TerminalBackEnd::refusal(const QString &filePath)
{
    // A terminal would open only to say that the file is not there.
    if (!QFileInfo::exists(filePath))
        return LanguageManager::localized(QStringLiteral("错误：脚本文件不存在：%@"), {filePath});
    return {};
}
