#include "window/SidebarModel.h"

#include "language/LanguageManager.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>

struct SidebarModel::Item
{
    ShellNode node;
    Item *parent = nullptr;
    int row = 0;
    int depth = -1;     // the invisible root
    int fileCheck = -1; // when missing was last found
    bool missing = false;
    std::vector<std::unique_ptr<Item>> children;
};

namespace {

const QList<ShellNode> &childrenOf(const ShellNode &node)
{
    static const QList<ShellNode> none;
    return node.children ? *node.children : none;
}

// What a row shows; a change here redraws the row.
bool sameFace(const ShellNode &a, const ShellNode &b)
{
    return a.displayName() == b.displayName() && a.kind == b.kind &&
           a.isEmptyFolder() == b.isEmptyFolder() && a.filePath == b.filePath && a.args == b.args;
}

// Indices (into seq) of one longest strictly increasing subsequence.
std::vector<bool> longestIncreasing(const std::vector<int> &seq)
{
    std::vector<int> tails; // index into seq of the smallest tail per length
    std::vector<int> previous(seq.size(), -1);
    for (int i = 0; i < int(seq.size()); ++i) {
        auto it = std::lower_bound(tails.begin(), tails.end(), seq[size_t(i)],
                                   [&seq](int t, int v) { return seq[size_t(t)] < v; });
        if (it != tails.begin())
            previous[size_t(i)] = *(it - 1);
        if (it == tails.end())
            tails.push_back(i);
        else
            *it = i;
    }
    std::vector<bool> keep(seq.size(), false);
    for (int i = tails.empty() ? -1 : tails.back(); i >= 0; i = previous[size_t(i)])
        keep[size_t(i)] = true;
    return keep;
}

} // namespace

SidebarModel::SidebarModel(QObject *parent) : QAbstractItemModel(parent), m_root(new Item) {}

SidebarModel::~SidebarModel() = default;

std::unique_ptr<SidebarModel::Item> SidebarModel::build(const ShellNode &node, Item *parent)
{
    auto item = std::make_unique<Item>();
    item->node = node;
    item->parent = parent;
    item->depth = parent->depth + 1;
    m_byID.insert(node.id, item.get());
    const QList<ShellNode> &children = childrenOf(node);
    item->children.reserve(size_t(children.size()));
    for (const ShellNode &child : children) {
        item->children.push_back(build(child, item.get()));
        item->children.back()->row = int(item->children.size()) - 1;
    }
    return item;
}

void SidebarModel::forget(const Item *item)
{
    const auto found = m_byID.constFind(item->node.id);
    if (found != m_byID.cend() && found.value() == item)
        m_byID.erase(found);
    for (const auto &child : item->children)
        forget(child.get());
}

void SidebarModel::renumber(Item *parent, int from)
{
    for (int i = std::max(0, from); i < int(parent->children.size()); ++i)
        parent->children[size_t(i)]->row = i;
}

void SidebarModel::setRoots(const QList<ShellNode> &roots)
{
    bool shared = false;
    for (const auto &item : m_root->children)
        if (std::any_of(roots.cbegin(), roots.cend(),
                        [&item](const ShellNode &n) { return n.id == item->node.id; })) {
            shared = true;
            break;
        }
    if (!shared) {
        // Nothing in common (the first fill, another document): start afresh.
        beginResetModel();
        m_root = std::make_unique<Item>();
        m_byID.clear();
        for (const ShellNode &node : roots) {
            m_root->children.push_back(build(node, m_root.get()));
            m_root->children.back()->row = int(m_root->children.size()) - 1;
        }
        endResetModel();
        return;
    }
    merge(m_root.get(), roots);
}

void SidebarModel::merge(Item *parent, const QList<ShellNode> &list)
{
    const QModelIndex parentIndex = indexFor(parent);
    auto &kids = parent->children;

    QHash<QUuid, int> wanted; // id -> its first position in the new list
    wanted.reserve(list.size());
    for (int i = 0; i < list.size(); ++i)
        wanted.insert(list.at(i).id, i);

    // Rows that go, and repeated ids, leave first; runs in one step each.
    QSet<QUuid> seen;
    std::vector<bool> drop(kids.size(), false);
    for (size_t i = 0; i < kids.size(); ++i) {
        const QUuid &id = kids[i]->node.id;
        drop[i] = !wanted.contains(id) || seen.contains(id);
        seen.insert(id);
    }
    for (int last = int(kids.size()) - 1; last >= 0;) {
        if (!drop[size_t(last)]) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && drop[size_t(first - 1)])
            --first;
        beginRemoveRows(parentIndex, first, last);
        for (int i = first; i <= last; ++i)
            forget(kids[size_t(i)].get());
        kids.erase(kids.begin() + first, kids.begin() + last + 1);
        renumber(parent, first);
        endRemoveRows();
        last = first - 1;
    }

    // The longest run already in the new order stays; the rest moves.
    std::vector<int> order;
    order.reserve(kids.size());
    for (const auto &kid : kids)
        order.push_back(wanted.value(kid->node.id));
    const std::vector<bool> keep = longestIncreasing(order);
    QSet<const Item *> staying;
    for (size_t i = 0; i < kids.size(); ++i)
        if (keep[i])
            staying.insert(kids[i].get());

    QHash<QUuid, Item *> present;
    for (const auto &kid : kids)
        present.insert(kid->node.id, kid.get());

    // Each row in the new order goes right after the one before it.
    int previousRow = -1;
    for (int i = 0; i < list.size(); ++i) {
        const ShellNode &node = list.at(i);
        const int destination = previousRow + 1;
        Item *item = present.take(node.id);
        if (!item) {
            beginInsertRows(parentIndex, destination, destination);
            kids.insert(kids.begin() + destination, build(node, parent));
            renumber(parent, destination);
            endInsertRows();
            previousRow = destination;
            continue;
        }
        if (!staying.contains(item) && item->row != destination && item->row + 1 != destination) {
            const int source = item->row;
            beginMoveRows(parentIndex, source, source, parentIndex, destination);
            std::unique_ptr<Item> moving = std::move(kids[size_t(source)]);
            kids.erase(kids.begin() + source);
            const int at = destination > source ? destination - 1 : destination;
            kids.insert(kids.begin() + at, std::move(moving));
            renumber(parent, std::min(source, at));
            endMoveRows();
        }
        previousRow = item->row;
    }
    for (int i = 0; i < list.size() && i < int(kids.size()); ++i)
        update(kids[size_t(i)].get(), list.at(i));
}

void SidebarModel::update(Item *item, const ShellNode &node)
{
    const bool faceChanged = !sameFace(item->node, node);
    const QList<ShellNode> &before = childrenOf(item->node);
    const QList<ShellNode> &after = childrenOf(node);
    if (item->node.filePath != node.filePath)
        item->fileCheck = -1;
    // A list that still shares its data with the merged one holds nothing new.
    const bool childrenChanged =
        before.size() != after.size() || before.constData() != after.constData();
    item->node = node;
    if (childrenChanged)
        merge(item, after);
    if (faceChanged) {
        const QModelIndex index = indexFor(item);
        Q_EMIT dataChanged(index, index);
    }
}

SidebarModel::Item *SidebarModel::itemAt(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<Item *>(index.internalPointer()) : m_root.get();
}

QModelIndex SidebarModel::indexFor(const Item *item) const
{
    if (!item || item == m_root.get())
        return {};
    return createIndex(item->row, 0, const_cast<Item *>(item));
}

QModelIndex SidebarModel::indexOf(const QUuid &id) const
{
    return indexFor(m_byID.value(id));
}

const ShellNode *SidebarModel::node(const QModelIndex &index) const
{
    return index.isValid() ? &itemAt(index)->node : nullptr;
}

std::optional<QUuid> SidebarModel::parentID(const QModelIndex &index) const
{
    const Item *item = index.isValid() ? itemAt(index) : nullptr;
    if (!item || item->parent == m_root.get())
        return std::nullopt;
    return item->parent->node.id;
}

QModelIndex SidebarModel::index(int row, int column, const QModelIndex &parent) const
{
    const Item *item = itemAt(parent);
    if (column != 0 || row < 0 || row >= int(item->children.size()))
        return {};
    return createIndex(row, 0, item->children[size_t(row)].get());
}

QModelIndex SidebarModel::parent(const QModelIndex &child) const
{
    return child.isValid() ? indexFor(itemAt(child)->parent) : QModelIndex();
}

int SidebarModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    return int(itemAt(parent)->children.size());
}

int SidebarModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool SidebarModel::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0;
}

QVariant SidebarModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    Item *item = itemAt(index);
    const ShellNode &node = item->node;
    const auto missing = [this, item, &node] {
        if (node.kind != NodeKind::script)
            return false;
        if (item->fileCheck != m_fileCheck) {
            item->missing = !node.filePath || !QFileInfo::exists(*node.filePath);
            item->fileCheck = m_fileCheck;
        }
        return item->missing;
    };
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
    case Qt::EditRole:
        return node.displayName();
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        // Said as the run log would say it.
        if (missing())
            return LanguageManager::localized(QStringLiteral("错误：脚本文件不存在：%@"),
                                              {node.filePath.value_or(QString())});
        if (role == Qt::AccessibleDescriptionRole)
            return {};
        return node.filePath ? QVariant(*node.filePath) : QVariant();
    case MissingFileRole:
        return missing();
    case NodeIDRole:
        return node.id;
    case IsFolderRole:
        return node.kind == NodeKind::folder;
    case DepthRole:
        return item->depth;
    case HasPresetsRole:
        return node.kind == NodeKind::script && !node.argPresets().isEmpty();
    default:
        return {};
    }
}

Qt::ItemFlags SidebarModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QVariant SidebarModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return LanguageManager::localized(QStringLiteral("脚本库"));
    return QAbstractItemModel::headerData(section, orientation, role);
}
