#include "run/TerminalProcess.h"

#include "language/LanguageManager.h"

#include "run/BackgroundStart.h"
#include "run/StartWatch.h"

#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTimer>

#include <cerrno>
#include <cstring>
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
    auto reportOutput = [run, onChunk, onOutput = request.onOutput] {
        const QString output = decodeUtf8(run->output).trimmed();
        if (onOutput)
            onOutput(output);
        else if (!output.isEmpty())
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

QString notStarted(const QString &name, int ms)
{
    return LanguageManager::localized(QStringLiteral("%@ 没有在 %@ 秒内启动命令"),
                                      {name, QString::number(ms / 1000.0)});
}

RunCompletion awaitingStart(QObject *owner, const QString &marker, int ms, const QString &name,
                            RunCompletion completion)
{
    if (marker.isEmpty())
        return completion;
    QPointer<QObject> guard(owner);
    return [guard, marker, ms, name, completion](int status, const QString &error) {
        if (status != 0 || !guard || QFileInfo::exists(marker)) {
            completion(status, error);
            return;
        }
        // The watch calls finish, finish ends the watch: a shared slot breaks the knot.
        auto finish = std::make_shared<std::function<void(bool)>>();
        auto *watch = new StartWatch(marker, guard, [finish] {
            if (*finish)
                std::exchange(*finish, nullptr)(true);
        });
        *finish = [watch, completion, name, ms](bool seen) {
            watch->deleteLater();
            if (seen)
                completion(0, QString());
            else
                completion(1, notStarted(name, ms));
        };
        QTimer::singleShot(ms, watch, [finish, watch] {
            if (*finish)
                std::exchange(*finish, nullptr)(watch->seen());
        });
    };
}

QString reasonLine(const QString &errors)
{
    static const QRegularExpression noise(
        QStringLiteral("^(info|note|debug)\\b|^stack backtrace|^/\\S+ 0x[0-9a-f]+ |^## copy|"
                       "^eina_btlog|^eof$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression display(QStringLiteral("display|wayland|compositor|x11"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression error(
        QStringLiteral("err|fail|fatal|panic|can't|cannot|could not|unable|unknown|invalid"
                       "|unrecognized|denied|not found|no such|refused"),
        QRegularExpression::CaseInsensitiveOption);
    QString best;
    int bestScore = -1;
    QString first;
    for (const QString &line : errors.split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            continue;
        if (first.isEmpty())
            first = trimmed;
        if (noise.match(trimmed).hasMatch())
            continue;
        const int score =
            (display.match(trimmed).hasMatch() ? 3 : 0) + (error.match(trimmed).hasMatch() ? 2 : 0);
        if (score > bestScore) {
            best = trimmed;
            bestScore = score;
        }
    }
    return best.isEmpty() ? first : best;
}

void startInBackground(QObject *owner, const Request &request, int graceMs,
                       const ChunkHandler &onChunk, RunCompletion completion,
                       const std::function<void()> &onStarted)
{
    const QString name =
        request.displayName.isEmpty() ? QFileInfo(request.program).fileName() : request.displayName;
#if defined(Q_OS_LINUX)
    QString program = request.program;
    if (!program.contains(u'/')) {
        const QProcessEnvironment environment =
            request.environment.value_or(QProcessEnvironment::systemEnvironment());
        program = QStandardPaths::findExecutable(
            program, environment.value(QStringLiteral("PATH")).split(u':', Qt::SkipEmptyParts));
    }
    auto *watched = new BackgroundStart(owner, name, request.startedMarker, onChunk, completion);
    const int error = program.isEmpty() ? ENOENT : watched->start(request, program);
    if (error != 0) {
        delete watched;
        const QString description = QString::fromLocal8Bit(std::strerror(error));
        onChunk(startFailure(description));
        completion(1, description);
        return;
    }
    if (onStarted)
        onStarted();
    watched->watch(graceMs);
#else
    Q_UNUSED(owner);
    Q_UNUSED(graceMs);
    Q_UNUSED(name);
    QProcess process;
    configure(process, request);
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
#endif
}

} // namespace TerminalProcess
