#include "run/TerminalCatalogue.h"

#include "run/ShellWords.h"

#include "language/LanguageManager.h"

#include <QFileInfo>
#include <QStandardPaths>

#include <utility>

namespace {
struct KnownTerminal
{
    QLatin1StringView id;
    Terminal::Kind kind;
    QLatin1StringView processName;
};

// Process names as the programs run: gnome-terminal's client hands over to
// gnome-terminal-server, wezterm to wezterm-gui.
constexpr KnownTerminal knownTerminals[] = {
    {QLatin1StringView("gnome-terminal"), Terminal::Kind::gnomeTerminal,
     QLatin1StringView("gnome-terminal-server")},
    {QLatin1StringView("konsole"), Terminal::Kind::konsole, QLatin1StringView("konsole")},
    {QLatin1StringView("xfce4-terminal"), Terminal::Kind::xfce4Terminal,
     QLatin1StringView("xfce4-terminal")},
    {QLatin1StringView("kitty"), Terminal::Kind::kitty, QLatin1StringView("kitty")},
    {QLatin1StringView("wezterm"), Terminal::Kind::wezterm, QLatin1StringView("wezterm-gui")},
    {QLatin1StringView("alacritty"), Terminal::Kind::alacritty, QLatin1StringView("alacritty")},
    {QLatin1StringView("foot"), Terminal::Kind::foot, QLatin1StringView("foot")},
    {QLatin1StringView("tilix"), Terminal::Kind::tilix, QLatin1StringView("tilix")},
    {QLatin1StringView("terminator"), Terminal::Kind::terminator, QLatin1StringView("terminator")},
    {QLatin1StringView("xterm"), Terminal::Kind::xterm, QLatin1StringView("xterm")},
    {QLatin1StringView("mate-terminal"), Terminal::Kind::mateTerminal,
     QLatin1StringView("mate-terminal")},
    {QLatin1StringView("terminology"), Terminal::Kind::terminology,
     QLatin1StringView("terminology")},
    {QLatin1StringView("lxterminal"), Terminal::Kind::lxterminal, QLatin1StringView("lxterminal")},
    {QLatin1StringView("qterminal"), Terminal::Kind::qterminal, QLatin1StringView("qterminal")},
};

QString baseName(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// Debian's x-terminal-emulator alternatives point at "<name>.wrapper" scripts.
QString withoutWrapper(QString name)
{
    if (name.endsWith(u".wrapper"))
        name.chop(8);
    return name;
}

QString tabsUnsupported(const Terminal &terminal)
{
    return LanguageManager::localized(QStringLiteral("%@ 不支持从外部新建标签页"),
                                      {terminal.displayName()});
}

// A generic program given by name may be a known terminal under another
// name (x-terminal-emulator, a symbolic link of the user's own).
Terminal refined(Terminal terminal, const QProcessEnvironment &environment)
{
    if (terminal.kind != Terminal::Kind::generic || !terminal.extraArguments.isEmpty())
        return terminal;
    const QString target = QFileInfo(terminal.executable).canonicalFilePath();
    if (target.isEmpty())
        return terminal;
    const QString id = withoutWrapper(baseName(target));
    if (auto known = TerminalCatalogue::known(id)) {
        const QString path = TerminalCatalogue::findExecutable(id, environment);
        if (!path.isEmpty()) {
            known->executable = path;
            return *known;
        }
    }
    terminal.processNames = QStringList{baseName(target)};
    // xterm's own wrappers (Debian points x-terminal-emulator at lxterm).
    if (terminal.processNames.first().endsWith(u"xterm"))
        terminal.processNames << QStringLiteral("xterm");
    return terminal;
}

std::optional<QLatin1StringView> desktopTerminal(const QString &desktop)
{
    const QString name = desktop.trimmed().toLower();
    if (name == u"gnome" || name == u"unity" || name == u"cinnamon" || name == u"x-cinnamon" ||
        name == u"budgie")
        return QLatin1StringView("gnome-terminal");
    if (name == u"kde")
        return QLatin1StringView("konsole");
    if (name == u"xfce")
        return QLatin1StringView("xfce4-terminal");
    return std::nullopt;
}
} // namespace

QString Terminal::displayName() const
{
    return baseName(executable);
}

namespace TerminalCatalogue {

QStringList knownIDs()
{
    QStringList ids;
    for (const KnownTerminal &entry : knownTerminals)
        ids << QString(entry.id);
    return ids;
}

std::optional<Terminal> known(const QString &id, const QString &executable)
{
    for (const KnownTerminal &entry : knownTerminals) {
        if (entry.id == id) {
            Terminal terminal;
            terminal.kind = entry.kind;
            terminal.executable = executable.isEmpty() ? id : executable;
            terminal.processNames = QStringList{QString(entry.processName)};
            return terminal;
        }
    }
    return std::nullopt;
}

QString wrapperScript()
{
    // $1 the command line, $2 the script's folder, $3 the user's shell, $4
    // the file that tells Orlenta the command has started. Ctrl-C must end
    // the script, not this shell: the window would close with the script's
    // output before the user's shell could start.
    return QStringLiteral("trap : INT QUIT; [ -z \"$4\" ] || { true >\"$4\"; } 2>/dev/null; "
                          "/bin/sh -c \"$1\"; cd \"$2\" 2>/dev/null; exec \"$3\" -i");
}

QStringList command(const HandOverText &text, const QString &userShell,
                    const QString &startedMarker)
{
    QStringList words{QStringLiteral("/bin/sh"),
                      QStringLiteral("-c"),
                      wrapperScript(),
                      QStringLiteral("orlenta"),
                      text.commandLine,
                      text.directory,
                      userShell.isEmpty() ? QStringLiteral("/bin/sh") : userShell};
    if (!startedMarker.isEmpty())
        words << startedMarker;
    return words;
}

QStringList withoutExpansion(const QStringList &command)
{
    // Only "$" followed by a letter or "_" is expanded; the decoder itself
    // writes every variable in braces or as $@. printf %b gets the word with
    // an "x" after it, so that $(...) keeps its trailing line breaks.
    QStringList words{
        QStringLiteral("/bin/sh"), QStringLiteral("-c"),
        QStringLiteral("for a; do b=$(printf %bx \"${a}\"); set -- \"$@\" \"${b%x}\"; shift; "
                       "done; exec \"$@\""),
        QStringLiteral("orlenta")};
    for (QString word : command)
        words
            << word.replace(u'\\', QStringLiteral("\\\\")).replace(u'$', QStringLiteral("\\0044"));
    return words;
}

std::optional<TerminalLaunch> launch(const Terminal &terminal, RunForm form,
                                     const QStringList &command,
                                     const QProcessEnvironment &environment, QString *why)
{
    const bool tab = form == RunForm::newTab;
    const QString &program = terminal.executable;
    auto detached = [&](const QStringList &arguments) {
        return TerminalLaunch{program, arguments, true};
    };
    auto attached = [&](const QStringList &arguments) {
        return TerminalLaunch{program, arguments, false};
    };
    auto noTabs = [&](const QString &reason) -> std::optional<TerminalLaunch> {
        if (why)
            *why = reason;
        return std::nullopt;
    };

    switch (terminal.kind) {
    case Terminal::Kind::gnomeTerminal:
        // The client hands the request to gnome-terminal-server and exits.
        return attached(QStringList{tab ? QStringLiteral("--tab") : QStringLiteral("--window"),
                                    QStringLiteral("--")} +
                        command);
    case Terminal::Kind::konsole:
    case Terminal::Kind::qterminal:
        // konsole's --new-tab opens a window of its own unless the user runs
        // every window in one process: tabs go through RemoteTab, and reach
        // here only when no instance runs.
        if (tab)
            return noTabs(LanguageManager::localized(
                QStringLiteral("没有正在运行、可通过 D-Bus 新建标签页的 %@"),
                {terminal.displayName()}));
        return detached(QStringList{QStringLiteral("-e")} + withoutExpansion(command));
    case Terminal::Kind::xfce4Terminal:
    case Terminal::Kind::mateTerminal:
        // Not running, --window would open an empty window beside ours.
        if (form == RunForm::reuse && terminal.kind == Terminal::Kind::xfce4Terminal)
            return detached(QStringList{QStringLiteral("-x")} + command);
        return detached(QStringList{tab ? QStringLiteral("--tab") : QStringLiteral("--window"),
                                    QStringLiteral("-x")} +
                        command);
    case Terminal::Kind::terminology:
        // -e joins what follows and runs it with $SHELL -c.
        if (tab)
            return noTabs(tabsUnsupported(terminal));
        return detached({QStringLiteral("-e"), ShellWords::join(command)});
    case Terminal::Kind::lxterminal:
        if (tab)
            return noTabs(tabsUnsupported(terminal));
        return detached(QStringList{QStringLiteral("-e")} + command);
    case Terminal::Kind::kitty: {
        if (!tab)
            return detached(QStringList{QStringLiteral("--")} + command);
        // Tabs only through remote control, on the socket kitty listens on.
        const QString socket = environment.value(QStringLiteral("KITTY_LISTEN_ON"));
        // clang-format off
        if (socket.isEmpty())
            return noTabs(LanguageManager::localized(QStringLiteral("kitty 需要开启远程控制（allow_remote_control 与 listen_on）才能从外部新建标签页")));
        // clang-format on
        return attached(QStringList{QStringLiteral("@"), QStringLiteral("--to"), socket,
                                    QStringLiteral("launch"), QStringLiteral("--type=tab"),
                                    QStringLiteral("--")} +
                        command);
    }
    case Terminal::Kind::wezterm:
        // "cli spawn" asks the running GUI and prints the new pane's id.
        if (form == RunForm::reuse)
            return detached(QStringList{QStringLiteral("start"), QStringLiteral("--")} + command);
        return attached(QStringList{QStringLiteral("cli"), QStringLiteral("spawn")} +
                        (tab ? QStringList{} : QStringList{QStringLiteral("--new-window")}) +
                        QStringList{QStringLiteral("--")} + command);
    case Terminal::Kind::alacritty:
        if (tab)
            return noTabs(tabsUnsupported(terminal));
        return detached(QStringList{QStringLiteral("-e")} + command);
    case Terminal::Kind::foot:
        if (tab)
            return noTabs(tabsUnsupported(terminal));
        return detached(QStringList{QStringLiteral("--")} + command);
    case Terminal::Kind::tilix: {
        // Tilix joins what follows -e with spaces and splits it again, so it
        // gets one string, quoted for that split.
        QStringList arguments;
        if (form == RunForm::newTab)
            arguments << QStringLiteral("--action=app-new-session");
        else if (form == RunForm::newWindow)
            arguments << QStringLiteral("--action=app-new-window");
        return detached(arguments + QStringList{QStringLiteral("-e"), ShellWords::join(command)});
    }
    case Terminal::Kind::terminator:
        // -x arguments are joined with spaces when handed to a running
        // terminator; -e is one string that both paths run the same way.
        return detached((tab ? QStringList{QStringLiteral("--new-tab")} : QStringList{}) +
                        QStringList{QStringLiteral("-e"), ShellWords::join(command)});
    case Terminal::Kind::xterm:
        if (tab)
            return noTabs(tabsUnsupported(terminal));
        return detached(QStringList{QStringLiteral("-e")} + command);
    case Terminal::Kind::generic:
        if (tab)
            return noTabs(tabsUnsupported(terminal));
        return detached(terminal.extraArguments + QStringList{QStringLiteral("-e")} + command);
    case Terminal::Kind::custom: {
        if (tab)
            return noTabs(tabsUnsupported(terminal));
        QStringList arguments;
        for (const QString &token : terminal.extraArguments) {
            if (token == placeholder)
                arguments += command;
            else
                arguments << QString(token).replace(placeholder, ShellWords::join(command));
        }
        return detached(arguments);
    }
    }
    return std::nullopt;
}

std::optional<Terminal> fromSetting(const QString &value)
{
    const std::optional<QStringList> words = ShellWords::split(value);
    if (!words || words->isEmpty())
        return std::nullopt;
    const QStringList &tokens = *words;
    Terminal terminal;
    terminal.executable = tokens.first();
    terminal.extraArguments = tokens.mid(1);
    terminal.processNames = QStringList{baseName(terminal.executable)};
    if (value.contains(placeholder)) {
        terminal.kind = Terminal::Kind::custom;
        return terminal;
    }
    if (tokens.size() == 1) {
        // The wrapper only understands xterm's options and drops the
        // terminal's own: the program beside it is asked instead.
        const QString program = withoutWrapper(terminal.executable);
        if (auto knownTerminal = known(baseName(program), program))
            return knownTerminal;
    }
    terminal.kind = Terminal::Kind::generic;
    return terminal;
}

QString findExecutable(const QString &program, const QProcessEnvironment &environment)
{
    if (program.isEmpty())
        return {};
    if (program.contains(u'/')) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    const QStringList paths =
        environment.value(QStringLiteral("PATH")).split(u':', Qt::SkipEmptyParts);
    if (paths.isEmpty())
        return {};
    return QStandardPaths::findExecutable(program, paths);
}

QStringList installedIDs(const QProcessEnvironment &environment)
{
    QStringList ids;
    for (const KnownTerminal &entry : knownTerminals) {
        if (!findExecutable(QString(entry.id), environment).isEmpty())
            ids << QString(entry.id);
    }
    return ids;
}

QString kittyAddress(const QStringList &listeningSockets)
{
    for (const QString &socket : listeningSockets) {
        const QString name = socket.mid(socket.lastIndexOf(u'/') + 1);
        if (socket.isEmpty() || name.startsWith(u"kitty-ipc-") || name.startsWith(u"@kitty-ipc-"))
            continue;
        return QStringLiteral("unix:") + socket;
    }
    return {};
}

TerminalChoice choose(const std::optional<QString> &preference,
                      const QProcessEnvironment &environment)
{
    auto installed = [&](std::optional<Terminal> terminal) -> std::optional<Terminal> {
        if (!terminal)
            return std::nullopt;
        const QString path = findExecutable(terminal->executable, environment);
        if (path.isEmpty())
            return std::nullopt;
        terminal->executable = path;
        return refined(*terminal, environment);
    };

    if (preference) {
        const std::optional<Terminal> wanted = fromSetting(*preference);
        if (auto terminal = installed(wanted))
            return {terminal, {}};
        return {std::nullopt,
                LanguageManager::localized(QStringLiteral("找不到终端程序：%@"),
                                           {wanted ? wanted->executable : *preference})};
    }

    const QString variable = environment.value(QStringLiteral("TERMINAL")).trimmed();
    if (!variable.isEmpty()) {
        if (auto terminal = installed(fromSetting(variable)))
            return {terminal, {}};
    }
    const QStringList desktops =
        environment.value(QStringLiteral("XDG_CURRENT_DESKTOP")).split(u':', Qt::SkipEmptyParts);
    for (const QString &desktop : desktops) {
        if (const auto id = desktopTerminal(desktop)) {
            if (auto terminal = installed(known(QString(*id))))
                return {terminal, {}};
        }
    }
    if (auto terminal = installed(fromSetting(QStringLiteral("x-terminal-emulator"))))
        return {terminal, {}};
    for (const KnownTerminal &entry : knownTerminals) {
        if (auto terminal = installed(known(QString(entry.id))))
            return {terminal, {}};
    }
    // clang-format off
    const QString none = LanguageManager::localized(QStringLiteral("找不到可用的终端程序，请在设置中选择一个终端。"));
    // clang-format on
    return {std::nullopt, none};
}

} // namespace TerminalCatalogue
