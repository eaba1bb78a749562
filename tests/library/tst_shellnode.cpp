#include "TestNodes.h"
#include "library/ShellNode.h"

#include <QTest>

namespace {

QUuid uid(int n)
{
    return QUuid::fromString(
        QStringLiteral("00000000-0000-4000-8000-%1").arg(n, 12, 16, QLatin1Char('0')));
}

ShellNode folder(int id, const QString &name, std::optional<QList<ShellNode>> children = {})
{
    return TestNodes::folder(uid(id), name, std::move(children));
}

ShellNode script(int id, const QString &name, const QString &path = QStringLiteral("/x/s.sh"))
{
    return TestNodes::script(uid(id), name, path);
}

QStringList names(const QList<ShellNode> &list)
{
    QStringList out;
    for (const ShellNode &n : list)
        out.append(n.displayName());
    return out;
}

QList<int> ids(const QList<ShellNode> &list)
{
    QList<int> out;
    for (const ShellNode &n : list)
        out.append(int(n.id.data4[7]) | (int(n.id.data4[6]) << 8));
    return out;
}

// 1 [ 2 [ 3 ], 4 ], 5, 6 [] — ids chosen so that ids() reads them back.
QList<ShellNode> sampleForest()
{
    return {folder(1, QStringLiteral("F"),
                   QList<ShellNode>{folder(2, QStringLiteral("G"),
                                           QList<ShellNode>{script(3, QStringLiteral("s3"))}),
                                    script(4, QStringLiteral("s4"))}),
            script(5, QStringLiteral("s5")), folder(6, QStringLiteral("E"), QList<ShellNode>{})};
}

} // namespace

class TestShellNode : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void displayName_data()
    {
        QTest::addColumn<ShellNode>("node");
        QTest::addColumn<QString>("shown");
        QTest::newRow("named script") << script(1, QStringLiteral("deploy")) << "deploy";
        QTest::newRow("unnamed script")
            << script(1, QString(), QStringLiteral("/tmp/a.sh")) << "a.sh";
        QTest::newRow("unnamed script, trailing slash")
            << script(1, QString(), QStringLiteral("/tmp/dir/")) << "dir";
        QTest::newRow("unnamed folder") << folder(1, QString()) << "";
    }
    void displayName()
    {
        QFETCH(ShellNode, node);
        QFETCH(QString, shown);
        QCOMPARE(node.displayName(), shown);
    }

    void childrenViews()
    {
        QVERIFY(folder(1, QStringLiteral("a")).isEmptyFolder());
        QVERIFY(folder(1, QStringLiteral("a"), QList<ShellNode>{}).isEmptyFolder());
        QVERIFY(!folder(1, QStringLiteral("a"), QList<ShellNode>{}).listChildren());
        QVERIFY(!script(1, QStringLiteral("s")).isEmptyFolder());
        const ShellNode full = sampleForest().first();
        QVERIFY(!full.isEmptyFolder());
        QCOMPARE(full.listChildren()->size(), 2);
    }

    void argPresets()
    {
        ShellNode n = script(1, QStringLiteral("s"));
        QVERIFY(n.argPresets().isEmpty());
        n.args = QStringList{QStringLiteral("  --flag  "), QString(), QStringLiteral("\n"),
                             QStringLiteral("\t")};
        QCOMPARE(n.argPresets(), QStringList{QStringLiteral("--flag")});
    }

    void collectScripts()
    {
        ShellNode root = folder(0, QStringLiteral("root"), sampleForest());
        QCOMPARE(ids(root.collectScripts()), (QList<int>{3, 4, 5}));
        QCOMPARE(ids(script(9, QStringLiteral("x")).collectScripts()), QList<int>{9});
        QVERIFY(folder(9, QStringLiteral("x")).collectScripts().isEmpty());
    }

    void first()
    {
        const QList<ShellNode> forest = sampleForest();
        QCOMPARE(Forest::first(forest, uid(3))->name, QStringLiteral("s3"));
        QVERIFY(!Forest::first(forest, uid(99)));
        // Pre-order: a node comes before its own descendants.
        QList<ShellNode> duplicated = forest;
        duplicated.first().children->first().id = uid(1);
        QCOMPARE(Forest::first(duplicated, uid(1))->name, QStringLiteral("F"));
    }

    void parentID_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("parent"); // 0: none
        QTest::newRow("top level") << 1 << 0;
        QTest::newRow("child") << 4 << 1;
        QTest::newRow("grandchild") << 3 << 2;
        QTest::newRow("absent") << 99 << 0;
    }
    void parentID()
    {
        QFETCH(int, id);
        QFETCH(int, parent);
        const std::optional<QUuid> found = Forest::parentID(sampleForest(), uid(id));
        QCOMPARE(found, parent ? std::optional(uid(parent)) : std::nullopt);
    }

    void updatingDoesNotSearchInsideAMatch()
    {
        QList<ShellNode> forest = sampleForest();
        forest[0].children->last().id = uid(1); // a duplicate below the match
        const QList<ShellNode> updated = Forest::updating(
            forest, uid(1), [](ShellNode &n) { n.name = QStringLiteral("changed"); });
        QCOMPARE(updated.first().name, QStringLiteral("changed"));
        QCOMPARE(updated.first().children->last().name, QStringLiteral("s4"));
        QCOMPARE(forest.first().name, QStringLiteral("F")); // input untouched
    }

    void removing()
    {
        const QList<ShellNode> forest = sampleForest();
        const QList<ShellNode> without2 = Forest::removing(forest, uid(2));
        QCOMPARE(ids(*without2.first().children), QList<int>{4});
        QVERIFY(!Forest::first(without2, uid(3)));
        // A child list that becomes empty stays present.
        const QList<ShellNode> without3 = Forest::removing(forest, uid(3));
        QVERIFY(Forest::first(without3, uid(2))->children.has_value());
        QVERIFY(Forest::first(without3, uid(2))->children->isEmpty());
        QCOMPARE(ids(Forest::removing(forest, uid(5))), (QList<int>{1, 6}));
    }

    // Duplicate ids (never made by the store): every match, in every branch.
    void duplicatesAreAllReached()
    {
        QList<ShellNode> forest = sampleForest();
        forest[2].children->append(script(3, QStringLiteral("again"))); // 3 also inside 6
        forest[1].id = uid(3);                                          // and at the top
        const QList<ShellNode> before = forest;
        const QList<ShellNode> renamed =
            Forest::updating(forest, uid(3), [](ShellNode &n) { n.name = QStringLiteral("x"); });
        QCOMPARE(renamed.at(1).name, QStringLiteral("x"));
        QCOMPARE(renamed.at(0).children->at(0).children->at(0).name, QStringLiteral("x"));
        QCOMPARE(renamed.at(2).children->at(0).name, QStringLiteral("x"));
        const QList<ShellNode> without = Forest::removing(forest, uid(3));
        QCOMPARE(ids(without), (QList<int>{1, 6}));
        QVERIFY(!Forest::first(without, uid(3)));
        QVERIFY(without.at(1).children->isEmpty());
        QCOMPARE(forest, before); // the input is never changed
        // Nothing to change: the same value back.
        QCOMPARE(Forest::removing(forest, uid(99)), forest);
        QCOMPARE(Forest::updating(forest, uid(99), [](ShellNode &n) { n.name.clear(); }), forest);
    }

    void appending()
    {
        const QList<ShellNode> forest = sampleForest();
        const ShellNode added = script(7, QStringLiteral("s7"));
        QCOMPARE(ids(*Forest::first(Forest::appending(forest, added, uid(2)), uid(2))->children),
                 (QList<int>{3, 7}));
        QCOMPARE(ids(*Forest::appending({folder(8, QStringLiteral("bare"))}, added, uid(8))
                          .first()
                          .children),
                 QList<int>{7});
    }

    void isWithin_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<bool>("within");
        QTest::newRow("itself") << 1 << 1 << false;
        QTest::newRow("child") << 2 << 1 << true;
        QTest::newRow("grandchild") << 3 << 1 << true;
        QTest::newRow("parent") << 1 << 2 << false;
        QTest::newRow("sibling") << 5 << 1 << false;
        QTest::newRow("y missing") << 3 << 99 << false;
    }
    void isWithin()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(bool, within);
        QCOMPARE(Forest::isWithin(sampleForest(), uid(x), uid(y)), within);
    }

    void inserting_data()
    {
        QTest::addColumn<int>("before"); // 0: none
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("before first") << 2 << QList<int>{7, 2, 4};
        QTest::newRow("before last") << 4 << QList<int>{2, 7, 4};
        QTest::newRow("no sibling") << 0 << QList<int>{2, 4, 7};
        QTest::newRow("sibling in another folder") << 3 << QList<int>{2, 4, 7};
    }
    void inserting()
    {
        QFETCH(int, before);
        QFETCH(QList<int>, order);
        const std::optional<QUuid> sibling = before ? std::optional(uid(before)) : std::nullopt;
        const QList<ShellNode> result =
            Forest::inserting(sampleForest(), script(7, QStringLiteral("s7")), uid(1), sibling);
        QCOMPARE(ids(*result.first().children), order);
        const QList<ShellNode> atRoot =
            Forest::insertingAtRoot(sampleForest(), script(7, QStringLiteral("s7")), uid(6));
        QCOMPARE(ids(atRoot), (QList<int>{1, 5, 7, 6}));
    }

    void depthMap()
    {
        const QHash<QUuid, int> depths = Forest::depthMap(sampleForest());
        QCOMPARE(depths.size(), 6);
        QCOMPARE(depths.value(uid(1)), 0);
        QCOMPARE(depths.value(uid(4)), 1);
        QCOMPARE(depths.value(uid(3)), 2);
    }

    void nameSortFoldersFirstThenNumeric()
    {
        const QList<ShellNode> list{script(1, QStringLiteral("b")), script(2, QStringLiteral("A")),
                                    folder(3, QStringLiteral("z")),
                                    folder(4, QStringLiteral("a10")),
                                    folder(5, QStringLiteral("a9"))};
        QCOMPARE(names(Forest::sortedByNameTree(list)),
                 (QStringList{QStringLiteral("a9"), QStringLiteral("a10"), QStringLiteral("z"),
                              QStringLiteral("A"), QStringLiteral("b")}));
    }

    void nameSortCollation()
    {
        // Accents and case do not outweigh letters; digits compare by value.
        const QStringList expected{
            QStringLiteral("A"),      QStringLiteral("a"),   QStringLiteral("Ä"),
            QStringLiteral("a9"),     QStringLiteral("a10"), QStringLiteral("ábc"),
            QStringLiteral("abd"),    QStringLiteral("b"),   QStringLiteral("file2"),
            QStringLiteral("File10"), QStringLiteral("z")};
        QList<ShellNode> list;
        for (qsizetype i = expected.size() - 1; i >= 0; --i)
            list.append(script(int(i), expected.at(i)));
        // Equal names keep their order, so put the tied pair in sorted order.
        std::swap(list[expected.size() - 1], list[expected.size() - 2]);
        QCOMPARE(names(Forest::sortedByNameTree(list)), expected);
    }

    void nameSortIsStableAndUsesDisplayNames()
    {
        const QList<ShellNode> list{
            script(1, QStringLiteral("same")), script(2, QString(), QStringLiteral("/x/b.sh")),
            script(3, QStringLiteral("same")), script(4, QStringLiteral("SAME"))};
        QCOMPARE(ids(Forest::sortedByNameTree(list)), (QList<int>{2, 1, 3, 4}));
    }

    void nameSortReachesEveryLevelAndLeavesInputAlone()
    {
        const QList<ShellNode> forest{
            folder(1, QStringLiteral("b"),
                   QList<ShellNode>{script(2, QStringLiteral("y")),
                                    folder(3, QStringLiteral("x"),
                                           QList<ShellNode>{script(4, QStringLiteral("2")),
                                                            script(5, QStringLiteral("10")),
                                                            script(6, QStringLiteral("1"))})}),
            folder(7, QStringLiteral("a"))};
        const QList<ShellNode> sorted = Forest::sortedByNameTree(forest);
        QCOMPARE(ids(sorted), (QList<int>{7, 1}));
        QCOMPARE(ids(*sorted.last().children), (QList<int>{3, 2}));
        QCOMPARE(ids(*sorted.last().children->first().children), (QList<int>{6, 4, 5}));
        QVERIFY(!sorted.first().children); // absent stays absent
        QCOMPARE(ids(*forest.first().children), (QList<int>{2, 3}));
    }

    void idTexts()
    {
        const QUuid id = QUuid::fromString(QStringLiteral("0f6a9c1e-2b3d-4e5f-8a9b-0c1d2e3f4a5b"));
        QCOMPARE(uuidText(id), QStringLiteral("0F6A9C1E-2B3D-4E5F-8A9B-0C1D2E3F4A5B"));
        QCOMPARE(shortID(id), QStringLiteral("0F6A"));
    }

    void referenceTimestamps()
    {
        QCOMPARE(referenceTimestamp(QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC)), 0.0);
        QCOMPARE(referenceTimestamp(QDateTime(QDate(2001, 1, 1), QTime(0, 0, 1, 500), Qt::UTC)),
                 1.5);
    }

    void equalNodesHashAlike()
    {
        const QList<ShellNode> a = sampleForest();
        QList<ShellNode> b = sampleForest();
        QCOMPARE(qHash(a.first()), qHash(b.first()));
        b.first().children->first().name = QStringLiteral("other");
        QVERIFY(a.first() != b.first());
        ShellNode noArgs = script(1, QStringLiteral("s"));
        ShellNode emptyArgs = noArgs;
        emptyArgs.args = QStringList{};
        QVERIFY(noArgs != emptyArgs);
    }
};

QTEST_GUILESS_MAIN(TestShellNode)
#include "tst_shellnode.moc"
