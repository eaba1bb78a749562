#pragma once

#include "library/ShellNode.h"

#include <QAbstractItemModel>
#include <QHash>

#include <memory>
#include <optional>
#include <vector>

// The outline's item model over the displayed forest. Rows are identified by
// node ids: a new forest is merged into the rows there are, with inserts,
// removals and moves, so the view keeps its expansion and selection.
class SidebarModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Role {
        NodeIDRole = Qt::UserRole + 1, // QUuid
        IsFolderRole,                  // bool
        DepthRole,                     // int, 0 at the top level
        HasPresetsRole,                // bool: a script with at least one preset
        MissingFileRole,               // bool: a script whose file is not there
    };

    explicit SidebarModel(QObject *parent = nullptr);
    ~SidebarModel() override;

    void setRoots(const QList<ShellNode> &roots);

    QModelIndex indexOf(const QUuid &id) const;
    // The node of a row as last merged; null for an invalid index.
    const ShellNode *node(const QModelIndex &index) const;
    std::optional<QUuid> parentID(const QModelIndex &index) const;
    int nodeCount() const { return int(m_byID.size()); }
    // A script's file is looked for when its row is first drawn, and again
    // after this; nothing watches the files themselves.
    void recheckFiles() { ++m_fileCheck; }

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // The hidden header still names the column for screen readers.
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct Item;
    Item *itemAt(const QModelIndex &index) const;
    QModelIndex indexFor(const Item *item) const;
    std::unique_ptr<Item> build(const ShellNode &node, Item *parent);
    void forget(const Item *item);
    void merge(Item *parent, const QList<ShellNode> &list);
    void update(Item *item, const ShellNode &node);
    static void renumber(Item *parent, int from);

    std::unique_ptr<Item> m_root;
    QHash<QUuid, Item *> m_byID;
    int m_fileCheck = 0;
};
