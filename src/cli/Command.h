#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// One parsed `orlenta <command> ...` invocation. Node, folder and profile
// references are kept as written; the command resolves them against the
// store that carries it out.
struct Command
{
    enum class Kind {
        start,   // no command: start the app, or raise the running one
        help,    // print text and exit 0 (also --version)
        command, // one of the command table's, by name
    };

    Kind kind = Kind::start;
    QString name;         // the command's words: "list", "profile switch"
    QString text;         // help: what to print
    QStringList operands; // positional arguments after the command words
    // The options given, by long name; a switch has an empty value.
    QMap<QString, QString> options;

    bool isSet(const QString &option) const { return options.contains(option); }
    std::optional<QString> value(const QString &option) const
    {
        const auto it = options.constFind(option);
        return it == options.cend() ? std::nullopt : std::optional<QString>(*it);
    }

    bool operator==(const Command &other) const = default;
};
