#include "library/DocumentMerge.h"

#include <QHash>
#include <QSet>

namespace {

using Parent = std::optional<QUuid>;

QUuid key(const Parent &parent)
{
    return parent.value_or(QUuid());
}

// A node without its children, and where it stands.
struct Entry
{
    ShellNode node; // children cleared; hadChildren tells absent from empty
    bool hadChildren = false;
    Parent parent;
    Parent previous; // the sibling just before it
};

struct Flat
{
    QHash<QUuid, Entry> entries;
    QHash<QUuid, QList<QUuid>> children; // in order, the top level under the null id
};

void flatten(const QList<ShellNode> &list, Parent parent, Flat &flat)
{
    Parent previous;
    QList<QUuid> &order = flat.children[key(parent)];
    for (const ShellNode &node : list) {
        if (flat.entries.contains(node.id))
            continue;
        Entry entry{node, node.children.has_value(), parent, previous};
        entry.node.children.reset();
        flat.entries.insert(node.id, entry);
        order.append(node.id);
        previous = node.id;
        if (node.children)
            flatten(*node.children, node.id, flat);
    }
}

Flat flatten(const QList<ShellNode> &roots)
{
    Flat flat;
    flatten(roots, std::nullopt, flat);
    return flat;
}

bool sameOwnFields(const Entry &a, const Entry &b)
{
    return a.node == b.node;
}

class Merger
{
public:
    Merger(const Persisted &base, const Persisted &ours, const Persisted &theirs,
           DocumentMerge::Removals removals)
        : m_base(flatten(base.roots)), m_ours(flatten(ours.roots)),
          m_theirs(flatten(theirs.roots)), m_keepRemoved(removals == DocumentMerge::keepRemoved)
    {
    }

    QList<ShellNode> roots()
    {
        keep();
        for (const QUuid &id : std::as_const(m_kept))
            m_parent.insert(id, chooseParent(id));
        // Parents chosen one by one may still close a ring: it is cut at the top.
        for (const QUuid &id : std::as_const(m_kept))
            if (loops(id, m_parent.value(id)))
                m_parent.insert(id, std::nullopt);
        for (const QUuid &id : std::as_const(m_kept))
            m_byParent[key(m_parent.value(id))].append(id);
        return build(std::nullopt, 0);
    }

private:
    const Flat m_base;
    const Flat m_ours;
    const Flat m_theirs;
    const bool m_keepRemoved;
    QList<QUuid> m_kept; // in a fixed order: theirs, then what only ours has
    QSet<QUuid> m_keptSet;
    QHash<QUuid, Parent> m_parent;
    QHash<QUuid, QList<QUuid>> m_byParent;

    const Entry *find(const Flat &flat, const QUuid &id) const
    {
        const auto it = flat.entries.constFind(id);
        return it == flat.entries.cend() ? nullptr : &*it;
    }

    bool changedFromBase(const Entry *side, const QUuid &id) const
    {
        const Entry *base = find(m_base, id);
        return !base || !sameOwnFields(*side, *base);
    }

    void keepOne(const QUuid &id)
    {
        if (!m_keptSet.contains(id)) {
            m_keptSet.insert(id);
            m_kept.append(id);
        }
    }

    void keep()
    {
        const auto walk = [this](const Flat &flat, const Flat &other, auto &&self,
                                 Parent parent) -> void {
            for (const QUuid &id : flat.children.value(key(parent))) {
                const Entry &entry = flat.entries[id];
                // Removed on the other side and left alone here: it goes.
                const bool removedThere = find(m_base, id) && !find(other, id);
                if (m_keepRemoved || !removedThere || changedFromBase(&entry, id))
                    keepOne(id);
                self(flat, other, self, id);
            }
        };
        walk(m_theirs, m_ours, walk, std::nullopt);
        walk(m_ours, m_theirs, walk, std::nullopt);
    }

    // Ours where ours differs from the base, else theirs.
    const Entry &chosen(const QUuid &id) const
    {
        const Entry *ours = find(m_ours, id);
        const Entry *theirs = find(m_theirs, id);
        if (!theirs)
            return *ours;
        if (!ours)
            return *theirs;
        const Entry *base = find(m_base, id);
        return base && !sameOwnFields(*ours, *base) ? *ours : *theirs;
    }

    bool movedByOurs(const QUuid &id) const
    {
        const Entry *ours = find(m_ours, id);
        if (!ours)
            return false;
        const Entry *base = find(m_base, id);
        if (!base)
            return !find(m_theirs, id);
        return ours->parent != base->parent || ours->previous != base->previous;
    }

    bool isFolderKept(const Parent &parent) const
    {
        return !parent ||
               (m_keptSet.contains(*parent) && chosen(*parent).node.kind == NodeKind::folder);
    }

    // Whether putting id under parent would make it its own ancestor.
    bool loops(const QUuid &id, Parent parent) const
    {
        for (int guard = 0; parent && guard <= m_kept.size(); ++guard) {
            if (*parent == id)
                return true;
            const auto it = m_parent.constFind(*parent);
            if (it != m_parent.cend()) {
                parent = *it;
            } else {
                const Entry *ours = find(m_ours, *parent);
                const Entry *theirs = find(m_theirs, *parent);
                parent = theirs ? theirs->parent : ours ? ours->parent : Parent();
            }
        }
        return false;
    }

    Parent chooseParent(const QUuid &id) const
    {
        const Entry *ours = find(m_ours, id);
        const Entry *theirs = find(m_theirs, id);
        QList<Parent> candidates;
        if (ours && (movedByOurs(id) || !theirs))
            candidates.append(ours->parent);
        if (theirs)
            candidates.append(theirs->parent);
        if (ours)
            candidates.append(ours->parent);
        for (const Parent &parent : candidates)
            if (isFolderKept(parent) && !loops(id, parent))
                return parent;
        return std::nullopt;
    }

    QList<ShellNode> build(const Parent &parent, int depth)
    {
        const QList<QUuid> here = m_byParent.value(key(parent));
        const QSet<QUuid> belongs(here.cbegin(), here.cend());
        // Theirs' order first; what ours placed goes after its predecessor in ours.
        QList<QUuid> order;
        QSet<QUuid> placed;
        for (const QUuid &id : m_theirs.children.value(key(parent)))
            if (belongs.contains(id) && !movedByOurs(id)) {
                order.append(id);
                placed.insert(id);
            }
        QList<QUuid> ours;
        for (const QUuid &id : m_ours.children.value(key(parent)))
            if (belongs.contains(id))
                ours.append(id);
        // Here only because the parent either side gave it went.
        for (const QUuid &id : here) {
            const Entry *inOurs = find(m_ours, id);
            if (!placed.contains(id) && (!inOurs || inOurs->parent != parent))
                ours.append(id);
        }
        for (qsizetype k = 0; k < ours.size(); ++k) {
            const QUuid &id = ours.at(k);
            if (placed.contains(id))
                continue;
            qsizetype at = 0;
            for (qsizetype i = k - 1; i >= 0; --i) {
                if (placed.contains(ours.at(i))) {
                    at = order.indexOf(ours.at(i)) + 1;
                    break;
                }
            }
            order.insert(at, id);
            placed.insert(id);
        }
        QList<ShellNode> list;
        list.reserve(order.size());
        for (const QUuid &id : std::as_const(order)) {
            const Entry &entry = chosen(id);
            ShellNode node = entry.node;
            QList<ShellNode> children = depth < 512 ? build(id, depth + 1) : QList<ShellNode>();
            if (!children.isEmpty() || entry.hadChildren)
                node.children = children;
            list.append(node);
        }
        return list;
    }
};

} // namespace

Persisted DocumentMerge::merge(const Persisted &base, const Persisted &ours,
                               const Persisted &theirs, Removals removals)
{
    Persisted merged;
    merged.roots = Merger(base, ours, theirs, removals).roots();
    merged.isPublished = ours.isPublished != base.isPublished ? ours.isPublished
                                                              : theirs.isPublished;
    return merged;
}
