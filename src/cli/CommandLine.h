#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// One parsed `orlenta <command> ...` invocation. Node, folder and profile
// references are kept as written; CommandExecutor resolves them against
// the store that carries the command out.
struct Command
{
    enum class Verb {
        start, // no command: start the app, or raise the running one
        help,  // print text and exit 0 (also --version)
        list,
        run,
        add,
        import,
        mkdir,
        rename,
        rm,
        mv,
        args,
        publish,
        profileList,
        profileSwitch,
        profileOpen,
        profileRemove,
        sync,
        open,
        settings,
        palette,
    };

    Verb verb = Verb::start;
    QString text;         // help: what to print
    QStringList operands; // positional arguments after the command words
    bool json = false;
    std::optional<QString> arg;
    std::optional<int> preset; // 1-based, as `list` numbers presets
    std::optional<QString> to;
    std::optional<QString> into;
    std::optional<QString> before;
    bool root = false;
    bool enable = true; // publish (--off clears), sync on|off
    bool deleteFile = false;

    bool operator==(const Command &other) const = default;
};

struct ParsedCommandLine
{
    std::optional<Command> command;
    QString error; // one line, without the program name, when command is empty
};

namespace CommandLine {
// arguments: without the program name.
ParsedCommandLine parse(const QStringList &arguments);
// The arguments of main() without the program name.
QStringList arguments(int argc, char **argv);
// The overview printed by `orlenta --help`.
QString overview();
// Whether carrying the command out needs the windows of the app.
bool needsWindows(const Command &command);
} // namespace CommandLine
