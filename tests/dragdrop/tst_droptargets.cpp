#include "dragdrop/DropDebug.h"
#include "dragdrop/DropTargetResolver.h"
#include "dragdrop/NodeDrag.h"
#include "dragdrop/RowFrame.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

namespace {

QUuid uid(const char *text)
{
    return QUuid::fromString(QLatin1StringView(text));
}

// Folder F1 (open) holding scripts A and B, folder G holding nothing, then
// top-level scripts C and D. Rows are 20 high; ids start with their name.
const QUuid F1 = uid("F1000000-0000-4000-8000-000000000001");
const QUuid A = uid("A0000000-0000-4000-8000-000000000002");
const QUuid B = uid("B0000000-0000-4000-8000-000000000003");
const QUuid G = uid("60000000-0000-4000-8000-000000000004");
const QUuid C = uid("C0000000-0000-4000-8000-000000000005");
const QUuid D = uid("D0000000-0000-4000-8000-000000000006");
const QUuid E = uid("E0000000-0000-4000-8000-000000000007"); // inside G, for one case

RowFrame row(const QUuid &id, bool folder, std::optional<QUuid> parent, int index)
{
    return {id, folder, parent, QRectF(0, index * 20.0, 200, 20)};
}

QList<RowFrame> sidebarRows()
{
    // Collected out of order on purpose: resolution sorts by the top edge.
    return {row(C, false, {}, 4), row(F1, true, {}, 0), row(A, false, F1, 1),
            row(B, false, F1, 2), row(G, true, {}, 3),  row(D, false, {}, 5)};
}

// A table whose rows are the registry's rows, shifted by a header of 30 and
// scrolled by 5 so that table and host coordinates differ.
class FakeTable : public DropTableView
{
public:
    int rows = 6;
    QPointF mapFromHost(const QPointF &p) const override { return p + QPointF(-2, -30 + 5); }
    int rowAt(const QPointF &p) const override
    {
        const int r = static_cast<int>(std::floor(p.y() / 20.0));
        return (p.y() < 0 || r >= rows) ? -1 : r;
    }
    int rowCount() const override { return rows; }
    QRectF rowRect(int r) const override { return QRectF(0, r * 20.0, 200, 20); }
};

// A host point whose table point has the given y.
QPointF hostForTableY(qreal y)
{
    return QPointF(50, y + 30 - 5);
}

} // namespace

char *toString(const DropTarget &target)
{
    return QTest::toString(target.debugDesc());
}

class TestDropTargets : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        DropDebug::setLogPath(m_dir.filePath(QStringLiteral("drop.log")));
    }

    void debugDesc()
    {
        QCOMPARE(DropTarget::folder(F1).debugDesc(), QStringLiteral("folder(F100)"));
        QCOMPARE(DropTarget::before(A, F1).debugDesc(),
                 QStringLiteral("before(A000, parent=F100)"));
        QCOMPARE(DropTarget::before(uid("1a2b0000-0000-4000-8000-000000000000"), std::nullopt)
                     .debugDesc(),
                 QStringLiteral("before(1A2B, parent=root)"));
        QCOMPARE(DropTarget::root().debugDesc(), QStringLiteral("root"));
        QVERIFY(DropTarget::before(A, F1) != DropTarget::before(A, std::nullopt));
    }

    // Table-view resolution: the pointer's y in table coordinates.
    void primary_data()
    {
        QTest::addColumn<qreal>("tableY");
        QTest::addColumn<bool>("draggingFolder");
        QTest::addColumn<DropTarget>("expected");

        QTest::newRow("below the last row") << 130.0 << false << DropTarget::root();
        QTest::newRow("above the first row") << -3.0 << false << DropTarget::root();
        QTest::newRow("upper half of top-level script")
            << 85.0 << false << DropTarget::before(C, std::nullopt);
        QTest::newRow("midpoint counts as upper")
            << 90.0 << false << DropTarget::before(C, std::nullopt);
        QTest::newRow("just below midpoint")
            << 90.5 << false << DropTarget::before(D, std::nullopt);
        QTest::newRow("lower half of last top-level script")
            << 115.0 << false << DropTarget::root();
        QTest::newRow("lower half of script, next is sibling")
            << 35.0 << false << DropTarget::before(B, F1);
        QTest::newRow("lower half of last script in folder")
            << 55.0 << false << DropTarget::folder(F1);
        QTest::newRow("files on upper half of folder") << 62.0 << false << DropTarget::folder(G);
        QTest::newRow("folder on upper half of folder")
            << 62.0 << true << DropTarget::before(G, std::nullopt);
        QTest::newRow("folder on folder midpoint")
            << 70.0 << true << DropTarget::before(G, std::nullopt);
        QTest::newRow("folder on lower half of folder") << 75.0 << true << DropTarget::folder(G);
        QTest::newRow("script on upper half of folder") << 1.0 << false << DropTarget::folder(F1);
    }
    void primary()
    {
        QFETCH(qreal, tableY);
        QFETCH(bool, draggingFolder);
        QFETCH(DropTarget, expected);

        RowFrameRegistry registry;
        registry.setRows(sidebarRows());
        FakeTable table;
        DropTargetResolver resolver;
        resolver.tableView = &table;
        resolver.registry = &registry;
        resolver.resolveDraggedIsFolder = [](const QUuid &id) { return id == F1 || id == G; };

        const std::optional<QUuid> dragged = draggingFolder ? std::optional(F1) : std::optional(C);
        QCOMPARE(resolver.resolve({hostForTableY(tableY), dragged}).target, expected);
    }

    void primaryFileDragNeverCountsAsFolder()
    {
        RowFrameRegistry registry;
        registry.setRows(sidebarRows());
        FakeTable table;
        DropTargetResolver resolver{&table, &registry, [](const QUuid &) { return true; }};
        QCOMPARE(resolver.resolve({hostForTableY(62), std::nullopt}).target, DropTarget::folder(G));
        // Without the callback a dragged node counts as a script.
        resolver.resolveDraggedIsFolder = nullptr;
        QCOMPARE(resolver.resolve({hostForTableY(62), F1}).target, DropTarget::folder(G));
    }

    void primaryRowBeyondRegistry()
    {
        RowFrameRegistry registry;
        registry.setRows(sidebarRows().mid(0, 3)); // C, F1, A only
        FakeTable table;
        DropTargetResolver resolver{&table, &registry, {}};
        const auto resolution = resolver.resolve({hostForTableY(75), std::nullopt});
        QCOMPARE(resolution.target, DropTarget::root());
        QVERIFY(resolution.entry.endsWith(QStringLiteral("\n   → rowIndex 越界 → root")));
    }

    void primaryUsesTableMidpointNotRegistryRect()
    {
        // The registry's rectangle for C is stale (taller); the table decides the half.
        QList<RowFrame> rows = sidebarRows();
        rows[0].rect = QRectF(0, 80, 200, 60);
        RowFrameRegistry registry;
        registry.setRows(rows);
        FakeTable table;
        DropTargetResolver resolver{&table, &registry, {}};
        QCOMPARE(resolver.resolve({hostForTableY(95), std::nullopt}).target,
                 DropTarget::before(D, std::nullopt));
    }

    void exactEntry()
    {
        RowFrameRegistry registry;
        registry.setRows({row(F1, true, {}, 0), row(A, false, F1, 1)});
        FakeTable table;
        table.rows = 3;
        DropTargetResolver resolver{&table, &registry, [](const QUuid &) { return false; }};
        const auto resolution = resolver.resolve({QPointF(12.9, 60.7), C});
        QCOMPARE(resolution.target, DropTarget::folder(F1));
        QCOMPARE(resolution.entry,
                 QStringLiteral("HIT host=(12,60) tvPt=(10,35) tvRows=3 regRows=2 rowIndex=1\n"
                                "   reg: [0]F100Fy=0..20 [1]A000sy=20..40 \n"
                                "   tv : [0]y=0..20 [1]y=20..40 [2]y=40..60 \n"
                                "   → 取到行[1]=A000s dragged=C000 脚本行 → folder(F100)"));

        const auto blank = resolver.resolve({QPointF(0, 200), std::nullopt});
        QVERIFY(blank.entry.endsWith(QStringLiteral("rowIndex=-1\n   reg: [0]F100Fy=0..20 "
                                                    "[1]A000sy=20..40 \n   tv : [0]y=0..20 "
                                                    "[1]y=20..40 [2]y=40..60 \n   → 空白 → root")));
    }

    void entryListsAtMostThirtyTableRows()
    {
        RowFrameRegistry registry;
        FakeTable table;
        table.rows = 45;
        DropTargetResolver resolver{&table, &registry, {}};
        const QString entry = resolver.resolve({QPointF(0, 0), std::nullopt}).entry;
        QVERIFY(entry.contains(QStringLiteral("[29]y=580..600 \n")));
        QVERIFY(!entry.contains(QStringLiteral("[30]")));
    }

    void fallbackEntryAndLog()
    {
        RowFrameRegistry registry;
        registry.setRows(sidebarRows());
        DropTargetResolver resolver{nullptr, &registry, {}};
        QFile::remove(DropDebug::logPath());
        QCOMPARE(resolver.target({QPointF(10, 5.5), std::nullopt}), DropTarget::folder(F1));
        QFile log(DropDebug::logPath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(log.readAll())
                    .endsWith(QStringLiteral(" HIT 无表格，回退 frame 命中 host=(10.0, 5.5) → "
                                             "folder(F100)\n")));

        DropTargetResolver bare;
        QCOMPARE(bare.resolve({QPointF(1, 2), std::nullopt}).entry,
                 QStringLiteral("HIT 无表格，回退 frame 命中 host=(1.0, 2.0) → root"));
        // Plain decimals at any size a window can have, never 1e+05.
        QCOMPARE(bare.resolve({QPointF(120000, -0.25), std::nullopt}).entry,
                 QStringLiteral("HIT 无表格，回退 frame 命中 host=(120000.0, -0.25) → root"));
    }

    // Registry hit-testing on the published rectangles alone.
    void fallback_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<DropTarget>("expected");

        QTest::newRow("empty space below") << QPointF(10, 130) << DropTarget::root();
        QTest::newRow("right of the rows") << QPointF(200, 10) << DropTarget::root();
        QTest::newRow("left edge is inside")
            << QPointF(0, 85) << DropTarget::before(C, std::nullopt);
        QTest::newRow("bottom edge is outside") << QPointF(10, 120) << DropTarget::root();
        QTest::newRow("folder takes its lower half") << QPointF(10, 78) << DropTarget::folder(G);
        QTest::newRow("folder takes its upper half") << QPointF(10, 61) << DropTarget::folder(G);
        QTest::newRow("script upper half") << QPointF(10, 41) << DropTarget::before(B, F1);
        QTest::newRow("script midpoint is upper") << QPointF(10, 50) << DropTarget::before(B, F1);
        QTest::newRow("lower half, next is sibling")
            << QPointF(10, 35) << DropTarget::before(B, F1);
        QTest::newRow("lower half, last in folder") << QPointF(10, 55) << DropTarget::folder(F1);
        QTest::newRow("lower half, last top-level") << QPointF(10, 115) << DropTarget::root();
    }
    void fallback()
    {
        QFETCH(QPointF, point);
        QFETCH(DropTarget, expected);
        RowFrameRegistry registry;
        registry.setRows(sidebarRows());
        QCOMPARE(registry.target(point), expected);
    }

    void fallbackEdgeCases()
    {
        RowFrameRegistry registry;
        // Script C followed by folder sibling G: lower half of C goes before G.
        registry.setRows({row(C, false, {}, 0), row(G, true, {}, 1), row(E, false, G, 2)});
        QCOMPARE(registry.target(QPointF(5, 15)), DropTarget::before(G, std::nullopt));
        // The next row at another level does not count as a sibling.
        QCOMPARE(registry.target(QPointF(5, 55)), DropTarget::folder(G));

        // A folder rectangle wins over an overlapping script rectangle.
        registry.setRows({row(C, false, {}, 0), {G, true, {}, QRectF(0, 10, 200, 20)}});
        QCOMPARE(registry.target(QPointF(5, 12)), DropTarget::folder(G));
        QCOMPARE(registry.target(QPointF(5, 5)), DropTarget::before(C, std::nullopt));

        // Equal tops keep their collected order in the sorted list.
        registry.setRows({row(C, false, {}, 0), row(D, false, {}, 0)});
        QCOMPARE(registry.sortedRows().first().id, C);
        QVERIFY(!registry.setRows(registry.rows()));
    }

    void nodeDragText()
    {
        const QUuid id = uid("0f6a9c1e-2b3d-4e5f-8a9b-0c1d2e3f4a5b");
        QCOMPARE(NodeDrag::text(id),
                 QStringLiteral("shellnode:0F6A9C1E-2B3D-4E5F-8A9B-0C1D2E3F4A5B"));
        QCOMPARE(NodeDrag::idFromText(NodeDrag::text(id)), id);
        QCOMPARE(NodeDrag::idFromText(u"shellnode:0f6a9c1e-2b3d-4e5f-8a9b-0c1d2e3f4a5b"), id);
        QCOMPARE(NodeDrag::idFromText(u"shellnode:00000000-0000-0000-0000-000000000000"), QUuid());
        QVERIFY(!NodeDrag::idFromText(u"shellnode:not-a-uuid"));
        QVERIFY(!NodeDrag::idFromText(u"shellnode:{0f6a9c1e-2b3d-4e5f-8a9b-0c1d2e3f4a5b}"));
        QVERIFY(!NodeDrag::idFromText(u"shellnode:0F6A9C1E-2B3D-4E5F-8A9B-0C1D2E3F4A5Bx"));
        QVERIFY(!NodeDrag::idFromText(u"ShellNode:0F6A9C1E-2B3D-4E5F-8A9B-0C1D2E3F4A5B"));
        QVERIFY(!NodeDrag::idFromText(u"0F6A9C1E-2B3D-4E5F-8A9B-0C1D2E3F4A5B"));

        const auto data = NodeDrag::mimeData(id);
        QCOMPARE(NodeDrag::draggedNodeID(*data), id);
        QMimeData foreign;
        foreign.setText(QStringLiteral("hello"));
        QVERIFY(!NodeDrag::draggedNodeString(foreign));
        // A node text under the second plain-text type is found too.
        QMimeData utf8;
        utf8.setData(QStringLiteral("text/plain;charset=utf-8"), NodeDrag::text(id).toUtf8());
        QCOMPARE(NodeDrag::draggedNodeID(utf8), id);
        // Prefix present but no id: a node string, but no node id.
        QMimeData broken;
        broken.setText(QStringLiteral("shellnode:xyz"));
        QCOMPARE(NodeDrag::draggedNodeString(broken), QStringLiteral("shellnode:xyz"));
        QVERIFY(!NodeDrag::draggedNodeID(broken));
    }
};

QTEST_GUILESS_MAIN(TestDropTargets)
#include "tst_droptargets.moc"
