// The outline model merges each new forest into the rows it has: after any
// sequence of edits its rows are the forest's, and the ids it kept are still
// the same rows (persistent indexes follow them).
#include "TestNodes.h"
#include "library/ShellNode.h"
#include "window/SidebarModel.h"

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

namespace {

ShellNode node(bool isFolder, int n)
{
    const QString name = QStringLiteral("n%1").arg(n);
    return isFolder ? TestNodes::folder(name)
                    : TestNodes::script(name, QStringLiteral("/s/%1.sh").arg(n));
}

QList<QUuid> allIDs(const QList<ShellNode> &list)
{
    QList<QUuid> ids;
    for (const ShellNode &n : list) {
        ids.append(n.id);
        if (n.children)
            ids += allIDs(*n.children);
    }
    return ids;
}

// The ids above a node, nearest first.
QList<QUuid> ancestry(const QList<ShellNode> &forest, const QUuid &id)
{
    QList<QUuid> chain;
    for (std::optional<QUuid> up = Forest::parentID(forest, id); up;
         up = Forest::parentID(forest, *up))
        chain.append(*up);
    return chain;
}

// The rows under a parent, as "name(children...)".
QString rows(const SidebarModel &model, const QModelIndex &parent = {})
{
    QStringList parts;
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex index = model.index(r, 0, parent);
        QString part = index.data().toString();
        if (model.rowCount(index) > 0)
            part += u'(' + rows(model, index) + u')';
        parts.append(part);
    }
    return parts.join(u' ');
}

QString expected(const QList<ShellNode> &list)
{
    QStringList parts;
    for (const ShellNode &n : list) {
        QString part = n.displayName();
        if (n.listChildren())
            part += u'(' + expected(*n.children) + u')';
        parts.append(part);
    }
    return parts.join(u' ');
}

} // namespace

class TestSidebarModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void randomEditsKeepRowsInStep_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 7u, 42u, 2024u, 99991u})
            QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }

    void randomEditsKeepRowsInStep()
    {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        SidebarModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QList<ShellNode> forest;
        int made = 0;
        for (int i = 0; i < 6; ++i)
            forest.append(node(i % 2 == 0, made++));
        model.setRoots(forest);

        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        Forest::NameSortCache sortCache;
        for (int step = 0; step < 150; ++step) {
            const QList<ShellNode> before = forest;
            const QList<QUuid> ids = allIDs(forest);
            const QUuid some = ids.isEmpty() ? QUuid() : ids.at(random.bounded(ids.size()));
            const QUuid other = ids.isEmpty() ? QUuid() : ids.at(random.bounded(ids.size()));
            const std::optional<ShellNode> target = Forest::first(forest, other);
            const bool intoFolder = target && target->kind == NodeKind::folder;
            switch (random.bounded(6)) {
            case 0: // add
                if (intoFolder)
                    forest = Forest::appending(forest, node(random.bounded(2) == 0, made++), other);
                else
                    forest.insert(random.bounded(forest.size() + 1), node(true, made++));
                break;
            case 1: // delete with its subtree
                forest = Forest::removing(forest, some);
                break;
            case 2: // rename
                forest = Forest::updating(forest, some, [&](ShellNode &n) {
                    n.name = QStringLiteral("r%1").arg(made++);
                });
                break;
            case 3: // move before another node, anywhere
                if (const std::optional<ShellNode> moving = Forest::first(forest, some);
                    moving && some != other && !Forest::isWithin(forest, other, some)) {
                    const std::optional<QUuid> parent = Forest::parentID(forest, other);
                    if (!parent || !Forest::isWithin(forest, *parent, some)) {
                        const QList<ShellNode> without = Forest::removing(forest, some);
                        forest = parent ? Forest::inserting(without, *moving, *parent, other)
                                        : Forest::insertingAtRoot(without, *moving, other);
                    }
                }
                break;
            case 4: // the whole forest sorted by name, as the name order shows it
                forest = Forest::sortedByNameTree(forest);
                break;
            default: // reverse one level
                std::reverse(forest.begin(), forest.end());
                break;
            }

            // Rows whose ancestry stays keep their indexes through the merge; a
            // row moved to another folder comes back as a new row.
            QList<QPair<QUuid, QPersistentModelIndex>> kept;
            for (const QUuid &id : allIDs(forest))
                if (const QModelIndex index = model.indexOf(id);
                    index.isValid() && ancestry(before, id) == ancestry(forest, id))
                    kept.append({id, QPersistentModelIndex(index)});
            const qsizetype resetsBefore = resets.size();

            // The name order reused from earlier sorts is the order sorted afresh.
            QCOMPARE(sortCache.sortedTree(forest), Forest::sortedByNameTree(forest));

            model.setRoots(forest);
            QCOMPARE(rows(model), expected(forest));
            QCOMPARE(model.nodeCount(), allIDs(forest).size());
            if (resets.size() > resetsBefore)
                continue; // nothing in common at the top: started afresh
            for (const auto &[id, index] : std::as_const(kept)) {
                QVERIFY(index.isValid());
                QCOMPARE(index.data(SidebarModel::NodeIDRole).toUuid(), id);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestSidebarModel)
#include "tst_sidebarmodel.moc"
