#pragma once

#include "library/Profile.h"

#include <QList>
#include <QString>

#include <optional>

// A profile named on the command line: by its exact name first, then by
// its id or a unique prefix of it.
struct ProfileMatch
{
    std::optional<Profile> profile;
    QString error; // one line when profile is empty

    static ProfileMatch find(const QList<Profile> &profiles, const QString &reference);
};
