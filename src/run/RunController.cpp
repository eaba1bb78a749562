#include "run/RunController.h"

#include "library/ShellStore.h"
#include "run/RunHistory.h"
#include "run/ShellRunner.h"

#include <QPointer>
#include <QThread>

struct RunController::Task
{
    quint64 id = 0;
    QList<ShellNode> scripts;
    qsizetype next = 0;
    QPointer<ShellStore> store;
    std::optional<QString> arg;
};

RunController::RunController(QObject *parent, ShellRunner *runner)
    : QObject(parent), m_runner(runner ? runner : new ShellRunner(nullptr, nullptr, this))
{}

RunController::~RunController() = default;

QString RunController::header(const QString &name)
{
    return QStringLiteral("\n──── sh ") + name + QStringLiteral(" ────\n");
}

quint64 RunController::run(const ShellNode &node, ShellStore &store, std::optional<QString> arg)
{
    QList<ShellNode> scripts = node.collectScripts();
    if (scripts.isEmpty())
        return 0;
    if (m_history)
        m_history->record(node.id, arg);
    auto task = std::make_shared<Task>();
    task->id = ++m_lastRun;
    task->scripts = std::move(scripts);
    task->store = &store;
    task->arg = std::move(arg);
    QMetaObject::invokeMethod(
        this, [this, task] { runScripts(task); }, Qt::QueuedConnection);
    return task->id;
}

void RunController::clearOutput()
{
    setOutput(QString());
}

void RunController::runScripts(const std::shared_ptr<Task> &task)
{
    setOutput(QString());
    setRunning(true);
    handOverNext(task);
}

void RunController::handOverNext(const std::shared_ptr<Task> &task)
{
    if (task->next >= task->scripts.size()) {
        setRunning(false);
        setCurrentNodeName(QString());
        Q_EMIT runFinished(task->id);
        return;
    }
    const ShellNode script = task->scripts.at(task->next++);
    setCurrentNodeName(script.name);
    append(task->id, header(script.name));

    QPointer<RunController> self(this);
    auto onChunk = [self, run = task->id](const QString &chunk) {
        if (!self)
            return;
        if (QThread::currentThread() == self->thread())
            self->append(run, chunk);
        else
            QMetaObject::invokeMethod(
                self, [self, run, chunk] { self->append(run, chunk); }, Qt::QueuedConnection);
    };
    // The status may come before openInTerminal returns (a missing path):
    // the next script starts from the event loop, never deeper in the stack.
    auto onStatus = [self, task, name = script.name](int status) {
        if (!self)
            return;
        QMetaObject::invokeMethod(
            self,
            [self, task, name, status] {
                if (task->store)
                    task->store->setLastRunMessage(name + QStringLiteral(": 退出码 ") +
                                                   QString::number(status));
                Q_EMIT self->scriptHandedOver(task->id, name, status);
                self->handOverNext(task);
            },
            Qt::QueuedConnection);
    };
    m_runner->openInTerminal(script, task->arg, onChunk, onStatus);
}

void RunController::append(quint64 run, const QString &text)
{
    m_output += text;
    Q_EMIT outputChanged();
    Q_EMIT runAppended(run, text);
}

void RunController::setOutput(const QString &output)
{
    if (m_output == output)
        return;
    m_output = output;
    Q_EMIT outputChanged();
}

void RunController::setRunning(bool running)
{
    if (m_isRunning == running)
        return;
    m_isRunning = running;
    Q_EMIT isRunningChanged();
}

void RunController::setCurrentNodeName(const QString &name)
{
    if (m_currentNodeName == name)
        return;
    m_currentNodeName = name;
    Q_EMIT currentNodeNameChanged();
}
