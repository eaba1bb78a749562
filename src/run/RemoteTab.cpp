#include "run/RemoteTab.h"

#include "run/ShellWords.h"
#include "run/TerminalProcess.h"

#include "language/LanguageManager.h"

#include <QRegularExpression>

#include <algorithm>
#include <memory>

namespace {

// One call: a client and its arguments, and what is taken from its reply
// (the first capture of the last match of the pattern; no pattern: nothing).
struct Call
{
    QString client;
    QStringList arguments;
    QString replyPattern;
};

QStringList dbusSend(const QString &service, const QString &path, const QString &method)
{
    return {QStringLiteral("--session"), QStringLiteral("--print-reply"),
            QStringLiteral("--dest=") + service, path, method};
}

QString lastCapture(const QString &reply, const QString &pattern)
{
    QString value;
    QRegularExpressionMatchIterator it = QRegularExpression(pattern).globalMatch(reply);
    while (it.hasNext())
        value = it.next().captured(1);
    return value;
}

// konsole numbers its windows; the highest is the newest.
QString newestKonsoleWindow(const QString &introspection)
{
    int newest = -1;
    QRegularExpressionMatchIterator it =
        QRegularExpression(QStringLiteral("<node name=\"(\\d+)\"")).globalMatch(introspection);
    while (it.hasNext())
        newest = std::max(newest, it.next().captured(1).toInt());
    return newest < 0 ? QString() : QString::number(newest);
}

// The calls after the first reply, each built from the reply before it.
using NextCall = std::function<Call(const QString &reply)>;

struct Chain
{
    RemoteTab::Request request;
    QList<NextCall> steps;
    ChunkHandler onChunk;
    RunCompletion completion;
    QObject *owner = nullptr;
};

void runStep(const std::shared_ptr<Chain> &chain, int index, const QString &previousReply)
{
    if (index == chain->steps.size()) {
        chain->completion(0, QString());
        return;
    }
    const Call call = chain->steps[index](previousReply);
    const QString client =
        TerminalCatalogue::findExecutable(call.client, chain->request.environment);
    if (client.isEmpty()) {
        chain->completion(
            1, LanguageManager::localized(QStringLiteral("找不到 %@，无法通过 D-Bus 新建标签页"),
                                          {call.client}));
        return;
    }
    auto reply = std::make_shared<QString>();
    TerminalProcess::Request process;
    process.program = client;
    process.arguments = call.arguments;
    process.environment = chain->request.environment;
    process.timeoutMs = chain->request.timeoutMs;
    process.displayName = call.client;
    process.onOutput = [reply](const QString &output) { *reply = output; };
    TerminalProcess::runAttached(
        chain->owner, process, chain->onChunk,
        [chain, index, reply, call](int status, const QString &error) {
            if (status != 0) {
                chain->completion(status, error);
                return;
            }
            QString value = *reply;
            if (!call.replyPattern.isEmpty()) {
                value = lastCapture(*reply, call.replyPattern);
                if (value.isEmpty()) {
                    // clang-format off
                    chain->completion(1, LanguageManager::localized(QStringLiteral("%@ 的 D-Bus 回复无法识别：%@"), {chain->request.service, reply->left(200)}));
                    // clang-format on
                    return;
                }
            }
            runStep(chain, index + 1, value);
        });
}

} // namespace

namespace RemoteTab {

bool handles(Terminal::Kind kind)
{
    return kind == Terminal::Kind::konsole || kind == Terminal::Kind::qterminal;
}

QString serviceName(Terminal::Kind kind, qint64 processID)
{
    const QString prefix = kind == Terminal::Kind::qterminal ? QStringLiteral("org.lxqt.QTerminal-")
                                                             : QStringLiteral("org.kde.konsole-");
    return prefix + QString::number(processID);
}

QString typedCommand(const QStringList &command)
{
    return QStringLiteral(" exec ") + ShellWords::join(command);
}

void open(QObject *owner, const Request &request, const ChunkHandler &onChunk,
          RunCompletion completion)
{
    auto chain = std::make_shared<Chain>();
    chain->request = request;
    chain->onChunk = onChunk;
    chain->completion = std::move(completion);
    chain->owner = owner;
    const QString service = request.service;
    const QString typed = typedCommand(request.command);
    const QString dbusSendName = QStringLiteral("dbus-send");

    if (request.kind == Terminal::Kind::qterminal) {
        chain->steps = {
            [=](const QString &) {
                return Call{dbusSendName,
                            dbusSend(service, QStringLiteral("/"),
                                     QStringLiteral("org.lxqt.QTerminal.Process.getWindows")),
                            QStringLiteral("(/windows/\\w+)")};
            },
            // dbus-send cannot write the a{sv} that newTab takes.
            [=](const QString &window) {
                return Call{QStringLiteral("gdbus"),
                            {QStringLiteral("call"), QStringLiteral("--session"),
                             QStringLiteral("--dest"), service, QStringLiteral("--object-path"),
                             window, QStringLiteral("--method"),
                             QStringLiteral("org.lxqt.QTerminal.Window.newTab"),
                             QStringLiteral("@a{sv} {}")},
                            QStringLiteral("(/tabs/\\w+)")};
            },
            [=](const QString &tab) {
                return Call{dbusSendName,
                            dbusSend(service, tab,
                                     QStringLiteral("org.lxqt.QTerminal.Tab.getActiveTerminal")),
                            QStringLiteral("(/terminals/\\w+)")};
            },
            [=](const QString &terminal) {
                return Call{dbusSendName,
                            dbusSend(service, terminal,
                                     QStringLiteral("org.lxqt.QTerminal.Terminal.sendText")) +
                                QStringList{QStringLiteral("string:") + typed + u'\n'},
                            {}};
            },
        };
    } else {
        chain->steps = {
            [=](const QString &) {
                return Call{
                    dbusSendName,
                    dbusSend(service, QStringLiteral("/Windows"),
                             QStringLiteral("org.freedesktop.DBus.Introspectable.Introspect")),
                    QStringLiteral("(?s)(.*<node name=\"\\d+\".*)")};
            },
            [=](const QString &introspection) {
                return Call{
                    dbusSendName,
                    dbusSend(service,
                             QStringLiteral("/Windows/") + newestKonsoleWindow(introspection),
                             QStringLiteral("org.kde.konsole.Window.newSession")) +
                        QStringList{QStringLiteral("string:"),
                                    QStringLiteral("string:") + request.directory},
                    QStringLiteral("int32 (\\d+)")};
            },
            [=](const QString &session) {
                return Call{dbusSendName,
                            dbusSend(service, QStringLiteral("/Sessions/") + session,
                                     QStringLiteral("org.kde.konsole.Session.runCommand")) +
                                QStringList{QStringLiteral("string:") + typed},
                            {}};
            },
        };
    }
    runStep(chain, 0, QString());
}

} // namespace RemoteTab
