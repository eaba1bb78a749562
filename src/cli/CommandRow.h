#pragma once

#include "cli/Command.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>

#include <functional>

struct CommandContext;

// One command of the command line: its words, syntax and help text, and
// what carries it out.
struct CommandRow
{
    struct Positional
    {
        QString name;
        QString description;
        QString syntax;
    };

    QString words{}; // "list", "profile switch"
    QString description{};
    QList<Positional> positionals{};
    int minimum = 0;
    int maximum = 0; // -1: no limit
    QList<QCommandLineOption> options{};
    // Everything after the first operand is an operand, so presets may look like options.
    bool operandsAfterFirst = false;
    // Carried out by the app, which then starts with its windows.
    bool needsWindows = false;
    // Reads or edits the current document: refused (status 1) while the
    // document's folder cannot be reached, never carried out on another one.
    bool usesDocument = false;
    // What the parser cannot check alone (options that exclude each other, a
    // number): an error line, or nothing.
    std::function<QString(const Command &)> check{};
    // Answers through context.reply exactly once, perhaps after returning.
    std::function<void(CommandContext &)> carryOut{};
};

// The commands in the order the overview lists them. The table itself is
// commands/CommandTable.cpp, beside one file per command: a new command is
// a file there and a row.
namespace CommandTable {
const QList<CommandRow> &rows();
// The command with these words; nullptr when there is none.
const CommandRow *find(const QString &words);
} // namespace CommandTable
