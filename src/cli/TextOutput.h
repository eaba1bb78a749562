#pragma once

#include "library/Profile.h"
#include "library/ShellNode.h"

#include <QHash>
#include <QList>
#include <QString>

// The plain-text answers, one record a line with tab-separated fields, for
// scripts to read.
namespace TextOutput {

QString quoted(const QString &text);
// Tabs, line breaks and backslashes as \t, \n and \\: one field stays one.
void appendField(QString &line, const QString &text);
QString field(const QString &text);

// One line per node in the order given: path, kind, short id, file, presets.
QString listing(const QList<ShellNode> &displayRoots, const QHash<QUuid, QString> &shortIds);
// One line per profile: id, name, document path, "current" on the current
// one and "not reachable" on those whose folder is missing.
QString profiles(const QList<Profile> &profiles, const QUuid &current,
                 const QList<Profile> &unreachable = {});
// The answer for a node just made: its path and its id.
QString madeNode(const QList<ShellNode> &roots, const QUuid &id);

} // namespace TextOutput
