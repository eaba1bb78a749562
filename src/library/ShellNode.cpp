#include "library/ShellNode.h"

#include "library/NameCollation.h"

#include <QSet>

#include <algorithm>
#include <numeric>

namespace {

QString lastPathComponent(const QString &path)
{
    qsizetype end = path.size();
    while (end > 1 && path.at(end - 1) == u'/')
        --end;
    const QStringView trimmed = QStringView(path).left(end);
    const qsizetype slash = trimmed.lastIndexOf(u'/');
    if (slash < 0 || trimmed.size() == 1)
        return trimmed.toString();
    return trimmed.mid(slash + 1).toString();
}

// The order of one level by the name rule: folders first, then by name,
// stable. Sort keys are computed once per node, which keeps large levels cheap.
std::vector<qsizetype> nameOrder(const QList<ShellNode> &list)
{
    const QCollator &collator = nameCollator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(list.size()));
    for (const ShellNode &node : list)
        keys.push_back(collator.sortKey(node.displayName()));
    std::vector<qsizetype> order(size_t(list.size()));
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const ShellNode &x = list.at(a);
        const ShellNode &y = list.at(b);
        if (x.kind != y.kind)
            return int(x.kind) < int(y.kind);
        return keys[size_t(a)].compare(keys[size_t(b)]) < 0;
    });
    return order;
}

QList<ShellNode> sortedLevel(const QList<ShellNode> &list)
{
    QList<ShellNode> result;
    result.reserve(list.size());
    for (qsizetype index : nameOrder(list))
        result.append(list.at(index).sortedByName());
    return result;
}

void collectInto(const ShellNode &node, QList<ShellNode> &out)
{
    if (node.kind == NodeKind::script) {
        out.append(node);
        return;
    }
    if (node.children)
        for (const ShellNode &child : *node.children)
            collectInto(child, out);
}

const ShellNode *findFirst(const QList<ShellNode> &list, const QUuid &id)
{
    for (const ShellNode &node : list) {
        if (node.id == id)
            return &node;
        if (node.children)
            if (const ShellNode *found = findFirst(*node.children, id))
                return found;
    }
    return nullptr;
}

void fillDepths(const QList<ShellNode> &list, int depth, QHash<QUuid, int> &out)
{
    for (const ShellNode &node : list) {
        out.insert(node.id, depth);
        if (node.children)
            fillDepths(*node.children, depth + 1, out);
    }
}

QList<ShellNode> insertedBefore(QList<ShellNode> list, const ShellNode &node,
                                std::optional<QUuid> before)
{
    if (before) {
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (list.at(i).id == *before) {
                list.insert(i, node);
                return list;
            }
        }
    }
    list.append(node);
    return list;
}

// The walks below copy only the lists on the way to a match; every other
// list stays shared with the input, so an edit of a large forest costs
// little more than its depth. None when nothing matched.
std::optional<QList<ShellNode>> updated(const QList<ShellNode> &list, const QUuid &id,
                                        const std::function<void(ShellNode &)> &change)
{
    std::optional<QList<ShellNode>> result;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const ShellNode &node = list.at(i);
        if (node.id == id) {
            if (!result)
                result = list;
            change((*result)[i]);
        } else if (node.children) {
            if (std::optional<QList<ShellNode>> children = updated(*node.children, id, change)) {
                if (!result)
                    result = list;
                (*result)[i].children = std::move(children);
            }
        }
    }
    return result;
}

std::optional<QList<ShellNode>> removed(const QList<ShellNode> &list, const QUuid &id)
{
    std::optional<QList<ShellNode>> result;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const ShellNode &node = list.at(i);
        const bool drop = node.id == id;
        std::optional<QList<ShellNode>> children;
        if (!drop && node.children)
            children = removed(*node.children, id);
        if (!result && (drop || children)) {
            result.emplace();
            result->reserve(list.size());
            for (qsizetype j = 0; j < i; ++j)
                result->append(list.at(j));
        }
        if (drop || !result)
            continue;
        result->append(node);
        if (children)
            result->last().children = std::move(children);
    }
    return result;
}

} // namespace

bool ShellNode::operator==(const ShellNode &other) const = default;

QString ShellNode::displayName() const
{
    if (!name.isEmpty())
        return name;
    if (filePath)
        return lastPathComponent(*filePath);
    return name;
}

std::optional<QList<ShellNode>> ShellNode::listChildren() const
{
    if (children && !children->isEmpty())
        return children;
    return std::nullopt;
}

bool ShellNode::isEmptyFolder() const
{
    return kind == NodeKind::folder && (!children || children->isEmpty());
}

QStringList ShellNode::argPresets() const
{
    QStringList presets;
    if (!args)
        return presets;
    for (const QString &arg : *args) {
        const QString trimmed = arg.trimmed();
        if (!trimmed.isEmpty())
            presets.append(trimmed);
    }
    return presets;
}

QList<ShellNode> ShellNode::collectScripts() const
{
    QList<ShellNode> scripts;
    collectInto(*this, scripts);
    return scripts;
}

ShellNode ShellNode::sortedByName() const
{
    if (!children)
        return *this;
    ShellNode copy = *this;
    copy.children = sortedLevel(*children);
    return copy;
}

size_t qHash(const ShellNode &node, size_t seed) noexcept
{
    const auto mix = [&seed](size_t value) {
        seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
    };
    mix(qHash(node.id));
    mix(qHash(node.name));
    mix(size_t(node.kind));
    mix(node.filePath ? qHash(*node.filePath) + 1 : 0);
    mix(node.args ? qHashRange(node.args->cbegin(), node.args->cend()) + 1 : 0);
    if (node.children) {
        mix(size_t(node.children->size()) + 1);
        for (const ShellNode &child : *node.children)
            mix(qHash(child, 0));
    } else {
        mix(0);
    }
    // Equal doubles (+0 and -0 among them) must hash alike.
    mix(node.createdAt == 0 ? 0 : qHash(node.createdAt));
    return seed;
}

namespace Forest {

std::optional<ShellNode> first(const QList<ShellNode> &list, const QUuid &id)
{
    if (const ShellNode *found = findFirst(list, id))
        return *found;
    return std::nullopt;
}

std::optional<QUuid> parentID(const QList<ShellNode> &list, const QUuid &id,
                              std::optional<QUuid> current)
{
    for (const ShellNode &node : list) {
        if (node.id == id)
            return current;
        if (node.children)
            if (std::optional<QUuid> found = parentID(*node.children, id, node.id))
                return found;
    }
    return std::nullopt;
}

QList<ShellNode> updating(const QList<ShellNode> &list, const QUuid &id,
                          const std::function<void(ShellNode &)> &change)
{
    return updated(list, id, change).value_or(list);
}

QList<ShellNode> removing(const QList<ShellNode> &list, const QUuid &id)
{
    return removed(list, id).value_or(list);
}

QList<ShellNode> appending(const QList<ShellNode> &list, const ShellNode &node, const QUuid &parent)
{
    return updating(list, parent, [&node](ShellNode &target) {
        QList<ShellNode> children = target.children.value_or(QList<ShellNode>());
        children.append(node);
        target.children = children;
    });
}

bool isWithin(const QList<ShellNode> &list, const QUuid &x, const QUuid &y)
{
    const ShellNode *owner = findFirst(list, y);
    return owner && owner->children && findFirst(*owner->children, x);
}

QList<ShellNode> inserting(const QList<ShellNode> &list, const ShellNode &node, const QUuid &parent,
                           std::optional<QUuid> before)
{
    return updating(list, parent, [&](ShellNode &target) {
        target.children =
            insertedBefore(target.children.value_or(QList<ShellNode>()), node, before);
    });
}

QList<ShellNode> insertingAtRoot(const QList<ShellNode> &list, const ShellNode &node,
                                 std::optional<QUuid> before)
{
    return insertedBefore(list, node, before);
}

QList<ShellNode> sortedByNameTree(const QList<ShellNode> &list)
{
    return sortedLevel(list);
}

QList<ShellNode> NameSortCache::sortedTree(const QList<ShellNode> &list)
{
    if (m_lists.size() > 2 * m_fullSize + 256) {
        // Earlier versions of edited lists pile up; start over now and then.
        m_lists.clear();
        m_fullSize = -1;
    }
    QList<ShellNode> sorted = sortedList(list);
    if (m_fullSize < 0)
        m_fullSize = m_lists.size();
    return sorted;
}

void NameSortCache::clear()
{
    m_lists.clear();
    m_fullSize = 0;
}

QList<ShellNode> NameSortCache::sortedList(const QList<ShellNode> &list)
{
    if (list.isEmpty())
        return list;
    // The entry holds the source list, so its data cannot be freed and its
    // address reused while the entry exists: same address, same content.
    const auto found = m_lists.constFind(list.constData());
    if (found != m_lists.cend() && found->first.size() == list.size())
        return found->second;
    QList<ShellNode> result;
    result.reserve(list.size());
    for (qsizetype index : nameOrder(list)) {
        ShellNode node = list.at(index);
        if (node.children)
            node.children = sortedList(*node.children);
        result.append(node);
    }
    m_lists.insert(list.constData(), {list, result});
    return result;
}

QHash<QUuid, int> depthMap(const QList<ShellNode> &list)
{
    QHash<QUuid, int> depths;
    fillDepths(list, 0, depths);
    return depths;
}

std::optional<int> depthOf(const QList<ShellNode> &list, const QUuid &id)
{
    for (const ShellNode &node : list) {
        if (node.id == id)
            return 0;
        if (node.children)
            if (std::optional<int> below = depthOf(*node.children, id))
                return *below + 1;
    }
    return std::nullopt;
}

int height(const ShellNode &node)
{
    int levels = 0;
    if (node.children)
        for (const ShellNode &child : *node.children)
            levels = std::max(levels, height(child) + 1);
    return levels;
}

namespace {
// position: the node's index in pre-order, which the fresh id is made from.
std::optional<QList<ShellNode>> uniqued(const QList<ShellNode> &list, QSet<QUuid> &seen,
                                        int &replaced, qsizetype &position)
{
    std::optional<QList<ShellNode>> result;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const ShellNode &node = list.at(i);
        const qsizetype place = position++;
        const bool duplicate = seen.contains(node.id);
        if (!duplicate)
            seen.insert(node.id);
        std::optional<QList<ShellNode>> children;
        if (node.children)
            children = uniqued(*node.children, seen, replaced, position);
        if (!duplicate && !children)
            continue;
        if (!result)
            result = list;
        ShellNode &copy = (*result)[i];
        if (duplicate) {
            // The same for every reading of the same document, so that an id
            // shown once still names the node until the document is saved.
            QUuid fresh = QUuid::createUuidV5(node.id, QString::number(place));
            while (seen.contains(fresh))
                fresh = QUuid::createUuidV5(fresh, QString::number(place));
            copy.id = fresh;
            seen.insert(copy.id);
            ++replaced;
        }
        if (children)
            copy.children = std::move(children);
    }
    return result;
}
} // namespace

QList<ShellNode> withUniqueIDs(const QList<ShellNode> &list, int *replaced)
{
    QSet<QUuid> seen;
    int count = 0;
    qsizetype position = 0;
    std::optional<QList<ShellNode>> result = uniqued(list, seen, count, position);
    if (replaced)
        *replaced = count;
    return result.value_or(list);
}

} // namespace Forest

QString uuidText(const QUuid &id)
{
    // By hand: toString() and toUpper() cost more than a line of a listing.
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    const uchar bytes[16] = {
        uchar(id.data1 >> 24), uchar(id.data1 >> 16), uchar(id.data1 >> 8), uchar(id.data1),
        uchar(id.data2 >> 8),  uchar(id.data2),       uchar(id.data3 >> 8), uchar(id.data3),
        id.data4[0],           id.data4[1],           id.data4[2],          id.data4[3],
        id.data4[4],           id.data4[5],           id.data4[6],          id.data4[7]};
    QString text(36, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            *out++ = u'-';
        *out++ = digits[bytes[i] >> 4];
        *out++ = digits[bytes[i] & 0xF];
    }
    return text;
}

QString shortID(const QUuid &id)
{
    return uuidText(id).left(4);
}

double referenceTimestamp(const QDateTime &time)
{
    // 2001-01-01 00:00:00 UTC in Unix seconds.
    constexpr qint64 referenceEpoch = 978307200;
    return double(time.toMSecsSinceEpoch() - referenceEpoch * 1000) / 1000.0;
}
