#include "cli/ProfileMatch.h"

#include "cli/NodePath.h"
#include "cli/TextOutput.h"
#include "library/ShellNode.h"

#include <QStringList>

namespace {
QString ids(const QList<Profile> &list)
{
    QStringList texts;
    for (const Profile &p : list)
        texts.append(uuidText(p.id));
    return texts.join(QStringLiteral(", "));
}
} // namespace

ProfileMatch ProfileMatch::find(const QList<Profile> &profiles, const QString &reference)
{
    using TextOutput::quoted;
    QList<Profile> named;
    for (const Profile &p : profiles)
        if (p.name == reference)
            named.append(p);
    if (named.size() == 1)
        return {named.first(), {}};
    if (named.size() > 1)
        return {std::nullopt, QStringLiteral("%1 profiles are named %2; use an id instead: %3")
                                  .arg(named.size())
                                  .arg(quoted(reference), ids(named))};
    const QString prefix = NodePath::idText(reference);
    QList<Profile> byId;
    if (prefix.size() >= NodePath::minimumIdPrefix)
        for (const Profile &p : profiles)
            if (uuidText(p.id).startsWith(prefix))
                byId.append(p);
    if (byId.size() == 1)
        return {byId.first(), {}};
    if (byId.size() > 1)
        return {std::nullopt, QStringLiteral("the id prefix %1 fits %2 profiles: %3")
                                  .arg(quoted(reference))
                                  .arg(byId.size())
                                  .arg(ids(byId))};
    return {std::nullopt,
            QStringLiteral("no profile %1 (see orlenta profile list)").arg(quoted(reference))};
}
