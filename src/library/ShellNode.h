#pragma once

#include "library/NodeKind.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <functional>
#include <optional>

// One folder or script of the library. A plain value: copied, never shared.
struct ShellNode
{
    QUuid id;
    QString name;
    NodeKind kind = NodeKind::folder;
    std::optional<QString> filePath;
    std::optional<QStringList> args;
    std::optional<QList<ShellNode>> children;
    double createdAt = 0; // seconds since 2001-01-01 00:00:00 UTC

    // Defined out of line: a defaulted body here would ask whether ShellNode is
    // comparable while it is still being defined (QList<ShellNode> children).
    bool operator==(const ShellNode &other) const;

    QString displayName() const;
    std::optional<QList<ShellNode>> listChildren() const;
    bool isEmptyFolder() const;
    QStringList argPresets() const;
    QList<ShellNode> collectScripts() const;
    ShellNode sortedByName() const;
};

size_t qHash(const ShellNode &node, size_t seed = 0) noexcept;

// Forest functions: pure, the list first, always returning new lists.
namespace Forest {
std::optional<ShellNode> first(const QList<ShellNode> &list, const QUuid &id);
std::optional<QUuid> parentID(const QList<ShellNode> &list, const QUuid &id,
                              std::optional<QUuid> current = std::nullopt);
QList<ShellNode> updating(const QList<ShellNode> &list, const QUuid &id,
                          const std::function<void(ShellNode &)> &change);
QList<ShellNode> removing(const QList<ShellNode> &list, const QUuid &id);
QList<ShellNode> appending(const QList<ShellNode> &list, const ShellNode &node,
                           const QUuid &parent);
bool isWithin(const QList<ShellNode> &list, const QUuid &x, const QUuid &y);
QList<ShellNode> inserting(const QList<ShellNode> &list, const ShellNode &node, const QUuid &parent,
                           std::optional<QUuid> before);
QList<ShellNode> insertingAtRoot(const QList<ShellNode> &list, const ShellNode &node,
                                 std::optional<QUuid> before);
QList<ShellNode> sortedByNameTree(const QList<ShellNode> &list);
// sortedByNameTree for a forest that changes a little at a time: a list
// still sharing its data with one sorted before is not sorted again, so
// after an edit only the lists on the way to the change are.
class NameSortCache
{
public:
    QList<ShellNode> sortedTree(const QList<ShellNode> &list);
    void clear();

private:
    QList<ShellNode> sortedList(const QList<ShellNode> &list);
    QHash<const ShellNode *, std::pair<QList<ShellNode>, QList<ShellNode>>> m_lists;
    qsizetype m_fullSize = 0;
};
QHash<QUuid, int> depthMap(const QList<ShellNode> &list);
// The depth of the first node with the id (0 at the top level), or none.
std::optional<int> depthOf(const QList<ShellNode> &list, const QUuid &id);
// Levels below the node: 0 for a node without children.
int height(const ShellNode &node);
// Every node whose id was already seen earlier in pre-order gets a fresh one;
// *replaced counts them. The list itself when there are none.
QList<ShellNode> withUniqueIDs(const QList<ShellNode> &list, int *replaced = nullptr);
} // namespace Forest

// Upper-case canonical text, as ids are written everywhere.
QString uuidText(const QUuid &id);
// The first four characters of uuidText, as log lines show ids.
QString shortID(const QUuid &id);

// Seconds since 2001-01-01 00:00:00 UTC, the document's time scale.
double referenceTimestamp(const QDateTime &time);
