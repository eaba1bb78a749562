#pragma once

#include "library/Profile.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QUuid>

class ShellStore;

// The --json answers, laid out as QJsonDocument's indented form. Keys in
// alphabetical order, as scripts reading them have always seen them.
namespace JsonOutput {

// The current document: its flag, its nodes nested in display order, its
// profile and the sort mode.
QString listing(const ShellStore &store, const QHash<QUuid, QString> &shortIds);
// Each with "reachable": false while its folder is missing.
QString profiles(const QList<Profile> &profiles, const QUuid &current,
                 const QList<Profile> &unreachable = {});

} // namespace JsonOutput
