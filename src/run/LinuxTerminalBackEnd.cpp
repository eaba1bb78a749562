#include "run/LinuxTerminalBackEnd.h"

#include "app/LanguageManager.h"
#include "run/LauncherProcess.h"
#include "run/ProcessLookup.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

LinuxTerminalBackEnd::LinuxTerminalBackEnd(Preferences *preferences, QObject *parent)
    : TerminalBackEnd(parent), m_preferences(preferences),
      m_environment(QProcessEnvironment::systemEnvironment()),
      m_isRunning([](const QStringList &names) { return ProcessLookup::isRunning(names); })
{}

TerminalChoice LinuxTerminalBackEnd::currentTerminal() const
{
    Preferences &preferences = m_preferences ? *m_preferences : Preferences::standard();
    const std::optional<QString> preference = preferences.string(PreferenceKeys::terminal);
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
    return choice.terminal && m_isRunning(choice.terminal->processNames);
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

    const QStringList command =
        TerminalCatalogue::command(text, m_environment.value(QStringLiteral("SHELL")));
    QProcessEnvironment environment = m_environment;
    if (form == RunForm::newTab && terminal.kind == Terminal::Kind::kitty &&
        !environment.contains(QStringLiteral("KITTY_LISTEN_ON"))) {
        // A kitty told to listen (listen_on in kitty.conf) shows its socket in /proc.
        for (const qint64 id : ProcessLookup::processIDs(terminal.processNames)) {
            const QString address =
                TerminalCatalogue::kittyAddress(ProcessLookup::listeningSockets(id));
            if (!address.isEmpty()) {
                environment.insert(QStringLiteral("KITTY_LISTEN_ON"), address);
                break;
            }
        }
    }
    QString why;
    const std::optional<TerminalLaunch> launch =
        TerminalCatalogue::launch(terminal, form, command, environment, &why);
    if (!launch) {
        completion(1, why);
        return;
    }

    LauncherProcess::Request request;
    request.program = launch->program;
    request.arguments = launch->arguments;
    request.environment = m_environment;
    request.displayName = terminal.displayName();
    request.timeoutMs = m_timeoutMs;
    auto started = [this] { Q_EMIT launcherStarted(); };
    if (launch->detached)
        LauncherProcess::startDetached(request, onChunk, std::move(completion), started);
    else
        LauncherProcess::runAttached(this, request, onChunk, std::move(completion), started);
}
