// Two versions of a document joined by id, written as short forest texts:
// "A[B,C2],D" is folder A holding B and C2, then D; a node's id comes from
// its first letter, so "C2" is C renamed.
#include "library/DocumentMerge.h"
#include "TestNodes.h"

#include <QTest>

namespace {

QUuid idOf(QChar letter)
{
    return QUuid::createUuidV5(QUuid(), QString(letter));
}

QList<ShellNode> parse(QStringView text, qsizetype &at)
{
    QList<ShellNode> list;
    while (at < text.size() && text.at(at) != u']') {
        const qsizetype start = at;
        while (at < text.size() && text.at(at).isLetterOrNumber())
            ++at;
        const QString name = text.mid(start, at - start).toString();
        ShellNode node = TestNodes::bare(idOf(name.at(0)), NodeKind::script, name);
        if (at < text.size() && text.at(at) == u'[') {
            node.kind = NodeKind::folder;
            node.children = parse(text, ++at);
            ++at; // ']'
        }
        list.append(node);
        if (at < text.size() && text.at(at) == u',')
            ++at;
    }
    return list;
}

Persisted forest(const QString &text)
{
    qsizetype at = 0;
    return Persisted{parse(text, at), false};
}

QString print(const QList<ShellNode> &list)
{
    QStringList parts;
    for (const ShellNode &node : list)
        parts.append(node.children ? node.name + u'[' + print(*node.children) + u']' : node.name);
    return parts.join(u',');
}

} // namespace

class TestDocumentMerge : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void merge_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("ours");
        QTest::addColumn<QString>("theirs");
        QTest::addColumn<QString>("merged");
        QTest::newRow("both add") << "A,B" << "A,B,X" << "A,B,Y" << "A,B,X,Y";
        QTest::newRow("rename and add") << "A,B" << "A2,B" << "A,B,Y" << "A2,B,Y";
        QTest::newRow("they remove") << "A,B" << "A,B" << "A" << "A";
        QTest::newRow("removed there, renamed here") << "A,B" << "A" << "A,B2" << "A,B2";
        QTest::newRow("move and add") << "A[],B" << "A[B]" << "A[],B,C" << "A[B],C";
        QTest::newRow("no common version") << "" << "A,X" << "A,Y" << "A,X,Y";
        QTest::newRow("reorder and add") << "A,B,C" << "C,A,B" << "A,B,C,D" << "C,A,B,D";
        QTest::newRow("into a removed folder") << "F[],G" << "F[X],G" << "G" << "G,X";
        QTest::newRow("both rename: ours") << "A" << "A2" << "A3" << "A2";
        QTest::newRow("moved into each other") << "A[],B[]" << "A[B[]]" << "B[A[]]" << "B[A[]]";
    }

    void merge()
    {
        QFETCH(QString, base);
        QFETCH(QString, ours);
        QFETCH(QString, theirs);
        QFETCH(QString, merged);
        const Persisted result = DocumentMerge::merge(forest(base), forest(ours), forest(theirs));
        QCOMPARE(print(result.roots), merged);
        // Taking in the same version twice changes nothing more.
        QCOMPARE(print(DocumentMerge::merge(forest(base), forest(ours), result).roots), merged);
    }

    void publishedFlagFollowsTheSideThatChangedIt()
    {
        Persisted base = forest(QStringLiteral("A"));
        Persisted ours = base;
        Persisted theirs = base;
        theirs.isPublished = true;
        QVERIFY(DocumentMerge::merge(base, ours, theirs).isPublished);
        ours.isPublished = true;
        theirs.isPublished = false;
        QVERIFY(DocumentMerge::merge(base, ours, theirs).isPublished);
    }
};

QTEST_GUILESS_MAIN(TestDocumentMerge)
#include "tst_documentmerge.moc"
