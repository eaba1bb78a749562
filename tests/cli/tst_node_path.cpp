#include "TestNodes.h"
#include "cli/NodePath.h"

#include <QRandomGenerator>
#include <QTest>

namespace {
QUuid id(const char *text)
{
    return QUuid::fromString(QLatin1StringView(text));
}

ShellNode script(const char *uuid, const QString &name,
                 const QString &path = QStringLiteral("/s/x.sh"))
{
    return TestNodes::script(id(uuid), name, path);
}

ShellNode folder(const char *uuid, const QString &name, QList<ShellNode> children)
{
    return TestNodes::folder(id(uuid), name, std::move(children));
}

const char *const toolsA = "11111111-0000-0000-0000-000000000001";
const char *const deploy = "22220000-0000-0000-0000-000000000002";
const char *const slashed = "22221111-0000-0000-0000-000000000003";
const char *const backslashed = "55550000-0000-0000-0000-000000000004";
const char *const sub = "66660000-0000-0000-0000-000000000005";
const char *const subDeploy = "77770000-0000-0000-0000-000000000006";
const char *const toolsB = "33333333-0000-0000-0000-000000000007";
const char *const other = "88880000-0000-0000-0000-000000000008";
const char *const dup1 = "99990000-0000-0000-0000-000000000009";
const char *const dup2 = "AAAA0000-0000-0000-0000-00000000000A";
const char *const unnamed = "BBBB0000-0000-0000-0000-00000000000B";
const char *const hexName = "CCCC0000-0000-0000-0000-00000000000C";
const char *const empty = "DDDD0000-0000-0000-0000-00000000000D";

QList<ShellNode> forest()
{
    return {
        folder(toolsA, QStringLiteral("Tools"),
               {script(deploy, QStringLiteral("deploy")), script(slashed, QStringLiteral("a/b")),
                script(backslashed, QStringLiteral("back\\slash")),
                folder(sub, QStringLiteral("Sub"), {script(subDeploy, QStringLiteral("deploy"))})}),
        folder(toolsB, QStringLiteral("Tools"), {script(other, QStringLiteral("other"))}),
        script(dup1, QStringLiteral("dup")),
        script(dup2, QStringLiteral("dup")),
        script(unnamed, QString(), QStringLiteral("/x/run.sh")),
        // A name that also reads as a prefix of the second Tools' id.
        script(hexName, QStringLiteral("3333")),
        folder(empty, QStringLiteral("Empty"), {}),
    };
}
} // namespace

class TestNodePath : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void resolve_data()
    {
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("expected"); // id text, or empty for an error
        QTest::addColumn<QString>("error");    // part of the error line

        const auto ok = [](const char *row, const QString &ref, const char *uuid) {
            QTest::newRow(row) << ref << QString::fromLatin1(uuid) << QString();
        };
        const auto bad = [](const char *row, const QString &ref, const QString &error) {
            QTest::newRow(row) << ref << QString() << error;
        };
        // Only the first Tools folder leads on to deploy, so the path is unique.
        ok("path through twin folders", QStringLiteral("Tools/deploy"), deploy);
        ok("into the other twin", QStringLiteral("Tools/other"), other);
        ok("outer slashes ignored", QStringLiteral("/Tools/deploy/"), deploy);
        ok("escaped slash", QStringLiteral("Tools/a\\/b"), slashed);
        ok("escaped backslash", QStringLiteral("Tools/back\\\\slash"), backslashed);
        ok("deeper", QStringLiteral("Tools/Sub/deploy"), subDeploy);
        ok("display name of an unnamed script", QStringLiteral("run.sh"), unnamed);
        ok("empty folder", QStringLiteral("Empty"), empty);
        ok("id prefix", QStringLiteral("22220"), deploy);
        ok("id prefix lower case", QStringLiteral("2222000"), deploy);
        ok("full id with braces", QStringLiteral("{22221111-0000-0000-0000-000000000003}"),
           slashed);
        ok("id prefix across a hyphen", QStringLiteral("88880000-00"), other);
        ok("a name wins over an id prefix", QStringLiteral("3333"), hexName);
        ok("the longer prefix is an id", QStringLiteral("33333"), toolsB);

        bad("twin folders", QStringLiteral("Tools"), QStringLiteral("names 2 nodes"));
        bad("twin scripts", QStringLiteral("dup"), QStringLiteral("9999, AAAA"));
        bad("through a script", QStringLiteral("Tools/deploy/x"),
            QStringLiteral("\"Tools/deploy\" is a script"));
        bad("missing child", QStringLiteral("Tools/Sub/nope"),
            QStringLiteral("no node named \"nope\" in \"Tools/Sub\""));
        bad("missing top", QStringLiteral("nope"), QStringLiteral("no node \"nope\""));
        bad("ambiguous prefix", QStringLiteral("2222"), QStringLiteral("fits 2 nodes"));
        bad("prefix too short", QStringLiteral("222"), QStringLiteral("no node"));
        bad("empty name inside", QStringLiteral("Tools//deploy"), QStringLiteral("no node"));
        bad("unescaped slash", QStringLiteral("Tools/a/b"),
            QStringLiteral("no node named \"a\" in \"Tools\""));
        bad("empty", QString(), QStringLiteral("empty"));
        bad("names are exact", QStringLiteral("tools/deploy"), QStringLiteral("no node"));
    }
    void resolve()
    {
        QFETCH(QString, reference);
        QFETCH(QString, expected);
        QFETCH(QString, error);
        const NodePath::Resolution r = NodePath::resolve(forest(), reference);
        if (expected.isEmpty()) {
            QVERIFY(!r.node);
            QVERIFY2(r.error.contains(error), qPrintable(r.error));
            QVERIFY(!r.error.contains(u'\n'));
        } else {
            QVERIFY2(r.node, qPrintable(r.error));
            QCOMPARE(r.node->id, QUuid::fromString(expected));
        }
    }

    void printedPathsResolveBack()
    {
        // What `list` prints must name the node again, whatever its name holds.
        QList<ShellNode> roots = forest();
        roots.append(folder("EEEE0000-0000-0000-0000-00000000000E", QStringLiteral("we/ird\\"),
                            {script("FFFF0000-0000-0000-0000-00000000000F",
                                    QStringLiteral("tab\there\nand line"))}));
        int checked = 0;
        const std::function<void(const QList<ShellNode> &)> check =
            [&](const QList<ShellNode> &list) {
                for (const ShellNode &node : list) {
                    const std::optional<QString> path = NodePath::pathOf(roots, node.id);
                    QVERIFY(path);
                    const NodePath::Resolution r = NodePath::resolve(roots, *path);
                    const bool twin = node.displayName() == QStringLiteral("Tools") ||
                                      node.displayName() == QStringLiteral("dup");
                    if (!twin) {
                        QVERIFY2(r.node, qPrintable(*path + u' ' + r.error));
                        QCOMPARE(r.node->id, node.id);
                        ++checked;
                    }
                    const NodePath::Resolution byId =
                        NodePath::resolve(roots, NodePath::uniquePrefix(roots, node.id));
                    QVERIFY2(byId.node, qPrintable(byId.error));
                    QCOMPARE(byId.node->id, node.id);
                    if (node.children)
                        check(*node.children);
                }
            };
        check(roots);
        QCOMPARE(checked, 11);
        QCOMPARE(NodePath::pathOf(roots, id(slashed)), QStringLiteral("Tools/a\\/b"));
        QCOMPARE(NodePath::pathOf(roots, id("FFFF0000-0000-0000-0000-00000000000F")),
                 QStringLiteral("we\\/ird\\\\/tab\\there\\nand line"));
        QVERIFY(!NodePath::pathOf(roots, QUuid::createUuid()));
    }

    void uniquePrefixes()
    {
        const QList<ShellNode> roots = forest();
        QCOMPARE(NodePath::uniquePrefix(roots, id(toolsA)), QStringLiteral("1111"));
        QCOMPARE(NodePath::uniquePrefix(roots, id(deploy)), QStringLiteral("22220"));
        QCOMPARE(NodePath::uniquePrefix(roots, id(slashed)), QStringLiteral("22221"));
        // "3333" is the name of a top-level script, so it would not find the folder.
        QCOMPARE(NodePath::uniquePrefix(roots, id(toolsB)), QStringLiteral("33333"));
        // Sharing "88880000-" with nobody, but it never ends on a hyphen.
        QList<ShellNode> twins{script("12345678-0000-0000-0000-000000000001", {}),
                               script("12345678-1000-0000-0000-000000000001", {})};
        QCOMPARE(NodePath::uniquePrefix(twins, twins[0].id), QStringLiteral("12345678-0"));
    }

    // The all-at-once prefixes agree with the one-node rule on forests of ids
    // that share long runs of digits, hyphens and top-level names included.
    void allPrefixesAtOnceAgreeWithOneAtATime()
    {
        QRandomGenerator random(15);
        for (int round = 0; round < 40; ++round) {
            const QString base = uuidText(QUuid::createUuid());
            QList<ShellNode> roots;
            for (int i = 0; i < 30; ++i) {
                QString text = base;
                for (qsizetype at = random.bounded(36); at < 36; at += 1 + random.bounded(12))
                    if (text[at] != u'-')
                        text[at] = QStringLiteral("0123456789ABCDEF")[random.bounded(16)];
                const QByteArray idText = text.toLatin1();
                const QString name =
                    random.bounded(4) == 0 ? text.left(4 + random.bounded(8)) : QStringLiteral("n");
                QList<ShellNode> &level =
                    roots.isEmpty() || random.bounded(2) == 0 ? roots : *roots.last().children;
                level.append(folder(idText.constData(), name, {}));
                QCOMPARE(uuidText(level.last().id), text);
            }
            const QHash<QUuid, QString> all = NodePath::uniquePrefixes(roots);
            for (const ShellNode &node : roots) {
                QCOMPARE(all.value(node.id), NodePath::uniquePrefix(roots, node.id));
                for (const ShellNode &child : *node.children)
                    QCOMPARE(all.value(child.id), NodePath::uniquePrefix(roots, child.id));
            }
        }
    }

    void splitting_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << QStringLiteral("a/b")
                               << QStringList{QStringLiteral("a"), QStringLiteral("b")} << true;
        QTest::newRow("escapes") << QStringLiteral("a\\/b\\\\\\n\\t")
                                 << QStringList{QStringLiteral("a/b\\\n\t")} << true;
        QTest::newRow("unknown escape kept")
            << QStringLiteral("a\\x") << QStringList{QStringLiteral("a\\x")} << true;
        QTest::newRow("trailing backslash")
            << QStringLiteral("a\\") << QStringList{QStringLiteral("a\\")} << true;
        QTest::newRow("only a slash") << QStringLiteral("/") << QStringList() << false;
        QTest::newRow("double slash") << QStringLiteral("a//b") << QStringList() << false;
    }
    void splitting()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, names);
        QFETCH(bool, valid);
        const std::optional<QStringList> got = NodePath::split(path);
        QCOMPARE(bool(got), valid);
        if (valid) {
            QCOMPARE(*got, names);
            QStringList escaped;
            for (const QString &name : names)
                escaped.append(NodePath::escape(name));
            QCOMPARE(NodePath::split(escaped.join(u'/')), got);
        }
    }
};

QTEST_GUILESS_MAIN(TestNodePath)
#include "tst_node_path.moc"
