#include "run/TerminalTrial.h"

#include "language/LanguageManager.h"
#include "library/ShellNode.h"
#include "run/ShellRunner.h"
#include "run/ShellWords.h"

#include <QDir>
#include <QPointer>
#include <QSaveFile>
#include <QThread>

#include <memory>

TerminalTrial::TerminalTrial(ShellRunner &runner, QString scratchFolder, QObject *parent)
    : QObject(parent), m_runner(runner), m_folder(std::move(scratchFolder))
{}

QString TerminalTrial::scriptPath() const
{
    return QDir(m_folder).filePath(QStringLiteral("orlenta-terminal-test.sh"));
}

QByteArray TerminalTrial::scriptText(const QString &message)
{
    return QByteArrayLiteral("#!/bin/sh\nprintf '%s\\n' ") + ShellWords::quoted(message).toUtf8() +
           '\n';
}

void TerminalTrial::start()
{
    if (m_running)
        return;
    // clang-format off
    const QString message = LanguageManager::localized(QStringLiteral("Orlenta 终端测试成功：脚本会在这样的终端窗口中运行。"));
    // clang-format on
    QDir().mkpath(m_folder);
    QSaveFile file(scriptPath());
    file.setDirectWriteFallback(false);
    const bool written =
        file.open(QIODevice::WriteOnly) && file.write(scriptText(message)) >= 0 && file.commit() &&
        QFile::setPermissions(scriptPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!written) {
        const QString line = LanguageManager::localized(QStringLiteral("无法写入测试脚本：%@"),
                                                        {file.errorString()});
        QMetaObject::invokeMethod(
            this, [this, line] { Q_EMIT finished(1, line); }, Qt::QueuedConnection);
        return;
    }

    ShellNode script;
    script.id = QUuid::createUuid();
    script.kind = NodeKind::script;
    script.name = QStringLiteral("Orlenta");
    script.filePath = scriptPath();
    m_running = true;
    auto log = std::make_shared<QString>();
    QPointer<TerminalTrial> self(this);
    m_runner.openInTerminal(
        script, std::nullopt,
        [self, log](const QString &chunk) {
            if (!self)
                return;
            if (QThread::currentThread() == self->thread())
                *log += chunk;
            else
                QMetaObject::invokeMethod(
                    self, [log, chunk] { *log += chunk; }, Qt::QueuedConnection);
        },
        [self, log](int status) {
            if (!self)
                return;
            // The status may come before openInTerminal returns.
            QMetaObject::invokeMethod(
                self,
                [self, log, status] {
                    QString last;
                    for (const QString &line : log->split(u'\n', Qt::SkipEmptyParts))
                        if (!line.trimmed().isEmpty())
                            last = line.trimmed();
                    self->m_running = false;
                    Q_EMIT self->finished(status, last);
                },
                Qt::QueuedConnection);
        });
}
