#pragma once

#include "library/ShellNode.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// Naming nodes on the command line: by the path of display names from the
// top ("Tools/deploy"; a / inside a name is written \/, a backslash \\, a
// line break \n, a tab \t, any other control character \xHH), or by the id
// or a unique prefix of it.
namespace NodePath {

inline constexpr int minimumIdPrefix = 4;

QString escape(const QString &name);
// Every control character but line breaks and tabs as \xHH: text from a
// document must not reach a terminal as an escape sequence.
QString escapeControls(const QString &text);
// The names of a path, escapes undone; nothing when a name in the middle is
// empty. Leading and trailing slashes are ignored.
std::optional<QStringList> split(const QString &path);

// An id or a prefix of one as typed, in the form of uuidText: upper case,
// without braces or blanks around it.
QString idText(const QString &reference);

// The escaped path of display names from the top down to the node.
std::optional<QString> pathOf(const QList<ShellNode> &roots, const QUuid &id);

// The shortest prefix of the id's text, at least minimumIdPrefix long,
// that no other node of the forest shares.
QString uniquePrefix(const QList<ShellNode> &roots, const QUuid &id);
// The same for every node of the forest at once, in O(n log n).
QHash<QUuid, QString> uniquePrefixes(const QList<ShellNode> &roots);

struct Resolution
{
    std::optional<ShellNode> node;
    QString error; // one line when node is empty
};
// A path wins over an id prefix that happens to read the same.
Resolution resolve(const QList<ShellNode> &roots, const QString &reference);

} // namespace NodePath
