#include "run/TerminalProcess.h"

#include "language/LanguageManager.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringDecoder>
#include <QTimer>

#include <memory>

namespace TerminalProcess {

QString decodeUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    return decoder.hasError() ? QString() : text;
}

namespace {
void configure(QProcess &process, const Request &request)
{
    process.setProgram(request.program);
    process.setArguments(request.arguments);
    if (request.environment)
        process.setProcessEnvironment(*request.environment);
    process.setStandardInputFile(QProcess::nullDevice());
}

QString startFailure(const QString &description)
{
    return LanguageManager::localized(QStringLiteral("启动失败：%@\n"), {description});
}

struct Run
{
    QByteArray output;
    QByteArray error;
    bool done = false;
};
} // namespace

void runAttached(QObject *owner, const Request &request, const ChunkHandler &onChunk,
                 RunCompletion completion, const std::function<void()> &onStarted)
{
    auto *process = new QProcess(owner);
    configure(*process, request);
    auto run = std::make_shared<Run>();

    auto drain = [process, run] {
        run->output += process->readAllStandardOutput();
        run->error += process->readAllStandardError();
    };
    auto reportOutput = [run, onChunk] {
        const QString output = decodeUtf8(run->output).trimmed();
        if (!output.isEmpty())
            onChunk(LanguageManager::localized(QStringLiteral("诊断：%@\n"), {output}));
    };

    QObject::connect(process, &QProcess::readyReadStandardOutput, process,
                     [process, run] { run->output += process->readAllStandardOutput(); });
    QObject::connect(process, &QProcess::readyReadStandardError, process,
                     [process, run] { run->error += process->readAllStandardError(); });
    if (onStarted)
        QObject::connect(process, &QProcess::started, process, onStarted);

    QObject::connect(
        process, &QProcess::finished, process,
        [process, run, drain, reportOutput, completion](int exitCode, QProcess::ExitStatus exit) {
            process->deleteLater();
            if (run->done)
                return;
            run->done = true;
            drain();
            reportOutput();
            const int status = exit == QProcess::NormalExit ? exitCode : 128 + exitCode;
            completion(status, decodeUtf8(run->error));
        });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, run, onChunk, completion](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart || run->done)
                             return;
                         run->done = true;
                         process->deleteLater();
                         const QString description = process->errorString();
                         onChunk(startFailure(description));
                         completion(1, description);
                     });

    if (request.timeoutMs > 0) {
        const QString name = request.displayName.isEmpty() ? QFileInfo(request.program).fileName()
                                                           : request.displayName;
        const int timeoutMs = request.timeoutMs;
        QTimer::singleShot(
            timeoutMs, process, [process, run, drain, reportOutput, completion, name, timeoutMs] {
                if (run->done)
                    return;
                run->done = true;
                drain();
                reportOutput();
                // finished() deletes it once the kill has landed.
                process->kill();
                completion(124,
                           LanguageManager::localized(QStringLiteral("%@ 没有在 %@ 秒内响应"),
                                                      {name, QString::number(timeoutMs / 1000.0)}));
            });
    }

    process->start();
}

void startDetached(const Request &request, const ChunkHandler &onChunk, RunCompletion completion,
                   const std::function<void()> &onStarted)
{
    QProcess process;
    configure(process, request);
    // Its chatter belongs to its own window, not to our standard output.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!process.startDetached()) {
        const QString description = process.errorString();
        onChunk(startFailure(description));
        completion(1, description);
        return;
    }
    if (onStarted)
        onStarted();
    completion(0, QString());
}

} // namespace TerminalProcess
