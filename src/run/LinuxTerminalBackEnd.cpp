#include "run/LinuxTerminalBackEnd.h"

#include "language/LanguageManager.h"
#include "platform/ProcessLookup.h"
#include "run/RemoteTab.h"
#include "run/TerminalProcess.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

LinuxTerminalBackEnd::LinuxTerminalBackEnd(Preferences *preferences, QObject *parent)
    : TerminalBackEnd(parent), m_preferences(preferences),
      m_environment(QProcessEnvironment::systemEnvironment())
{}

LinuxTerminalBackEnd::~LinuxTerminalBackEnd() = default;

TerminalChoice LinuxTerminalBackEnd::currentTerminal() const
{
    Preferences &preferences = m_preferences ? *m_preferences : Preferences::standard();
    const std::optional<QString> preference = PreferenceKeys::terminal.read(preferences);
    if (m_recent && m_recent->preference == preference && m_recent->age.elapsed() < 2000)
        return m_recent->choice;
    Recent recent;
    recent.preference = preference;
    recent.choice = TerminalCatalogue::choose(preference, m_environment);
    recent.age.start();
    m_recent = recent;
    return recent.choice;
}

bool LinuxTerminalBackEnd::isTerminalRunning()
{
    const TerminalChoice choice = currentTerminal();
    if (!choice.terminal)
        return false;
    if (m_isRunning)
        return m_isRunning(choice.terminal->processNames);
    return ProcessLookup::isRunning(choice.terminal->processNames, m_procRoot);
}

QString LinuxTerminalBackEnd::refusal(const QString &filePath)
{
    if (QString why = TerminalBackEnd::refusal(filePath); !why.isEmpty())
        return why;
    if (!m_environment.value(QStringLiteral("DISPLAY")).isEmpty() ||
        !m_environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty())
        return {};
    // A template may name something that needs no display (a tmux window).
    const TerminalChoice choice = currentTerminal();
    if (choice.terminal && choice.terminal->kind == Terminal::Kind::custom)
        return {};
    // clang-format off
    return LanguageManager::localized(QStringLiteral("错误：没有图形会话（DISPLAY 和 WAYLAND_DISPLAY 都未设置），无法打开终端窗口"));
    // clang-format on
}

void LinuxTerminalBackEnd::run(RunForm form, const HandOverText &text, const ChunkHandler &onChunk,
                               RunCompletion completion)
{
    const TerminalChoice choice = currentTerminal();
    if (!choice.terminal) {
        onChunk(LanguageManager::localized(QStringLiteral("启动失败：%@\n"), {choice.error}));
        completion(1, choice.error);
        return;
    }
    const Terminal &terminal = *choice.terminal;
    const QString marker = nextStartedMarker();
    const QStringList command =
        TerminalCatalogue::command(text, m_environment.value(QStringLiteral("SHELL")), marker);
    // A launcher that ends at once has only passed the command on.
    RunCompletion started =
        TerminalProcess::awaitingStart(this, marker, m_graceMs, terminal.displayName(), completion);

    QProcessEnvironment environment = m_environment;
    if (form == RunForm::newTab && RemoteTab::handles(terminal.kind)) {
        const QList<qint64> ids = ProcessLookup::processIDs(terminal.processNames, m_procRoot);
        if (!ids.isEmpty()) {
            RemoteTab::Request request;
            request.kind = terminal.kind;
            request.service =
                RemoteTab::serviceName(terminal.kind, *std::max_element(ids.begin(), ids.end()));
            request.directory = text.directory;
            request.command = command;
            request.environment = environment;
            request.timeoutMs = m_timeoutMs;
            RemoteTab::open(this, request, onChunk, std::move(started));
            return;
        }
    }
    if (form == RunForm::newTab)
        findTabTarget(terminal, environment);
    QString why;
    const std::optional<TerminalLaunch> launch =
        TerminalCatalogue::launch(terminal, form, command, environment, &why);
    if (!launch) {
        completion(1, why);
        return;
    }

    TerminalProcess::Request request;
    request.program = launch->program;
    request.arguments = launch->arguments;
    request.environment = environment;
    request.displayName = terminal.displayName();
    request.timeoutMs = m_timeoutMs;
    request.startedMarker = marker;
    auto onStarted = [this] { Q_EMIT launcherStarted(); };
    if (launch->detached)
        TerminalProcess::startInBackground(this, request, m_graceMs, onChunk, std::move(completion),
                                           onStarted);
    else
        TerminalProcess::runAttached(this, request, onChunk, std::move(started), onStarted);
}

QString LinuxTerminalBackEnd::nextStartedMarker()
{
    if (!m_markers) {
        QString base = m_environment.value(QStringLiteral("XDG_RUNTIME_DIR"));
        if (base.isEmpty() || !QFileInfo(base).isDir())
            base = QDir::tempPath();
        m_markers = std::make_unique<QTemporaryDir>(base + QStringLiteral("/orlenta-runs-XXXXXX"));
        if (!m_markers->isValid())
            return {};
    }
    if (!m_markers->isValid())
        return {};
    return m_markers->filePath(QStringLiteral("started-%1").arg(++m_markerCount));
}

// Tabs from outside need to be told which window: what the terminal's own
// shells were started with, or where it listens.
void LinuxTerminalBackEnd::findTabTarget(const Terminal &terminal,
                                         QProcessEnvironment &environment) const
{
    if (terminal.kind == Terminal::Kind::gnomeTerminal) {
        // gnome-terminal --tab goes to the window of the screen named by
        // these two, and opens a new window without them.
        const QString service = QStringLiteral("GNOME_TERMINAL_SERVICE");
        const QString screen = QStringLiteral("GNOME_TERMINAL_SCREEN");
        environment.remove(service);
        environment.remove(screen);
        for (const qint64 server : ProcessLookup::processIDs(terminal.processNames, m_procRoot)) {
            QList<qint64> shells = ProcessLookup::childProcessIDs(server, m_procRoot);
            std::reverse(shells.begin(), shells.end()); // the newest tab first
            for (const qint64 shell : shells) {
                const QHash<QString, QString> its = ProcessLookup::environmentOf(shell, m_procRoot);
                if (its.contains(service) && its.contains(screen)) {
                    environment.insert(service, its.value(service));
                    environment.insert(screen, its.value(screen));
                    return;
                }
            }
        }
    } else if (terminal.kind == Terminal::Kind::kitty &&
               !environment.contains(QStringLiteral("KITTY_LISTEN_ON"))) {
        // A kitty told to listen (listen_on in kitty.conf) shows its socket.
        for (const qint64 id : ProcessLookup::processIDs(terminal.processNames, m_procRoot)) {
            const QString address =
                TerminalCatalogue::kittyAddress(ProcessLookup::listeningSockets(id, m_procRoot));
            if (!address.isEmpty()) {
                environment.insert(QStringLiteral("KITTY_LISTEN_ON"), address);
                return;
            }
        }
    }
}
