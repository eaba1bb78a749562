#include "library/NodeKind.h"
#include "library/Profile.h"
#include "library/ShellNode.h"
#include "library/SortMode.h"

#include <QTest>

class TestEnums : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rawValuesRoundTrip()
    {
        QCOMPARE(toRaw(NodeKind::folder), QStringLiteral("folder"));
        QCOMPARE(nodeKindFromRaw(QStringLiteral("script")), NodeKind::script);
        QVERIFY(!nodeKindFromRaw(QStringLiteral("Script")));
        QCOMPARE(toRaw(SortMode::name), QStringLiteral("name"));
        QVERIFY(!sortModeFromRaw(QStringLiteral("Name")));
    }
    void builtInProfileIDs()
    {
        QCOMPARE(Profile::localProfileID.toString(QUuid::WithoutBraces).toUpper(),
                 QStringLiteral("00000000-0000-0000-0000-00000000000A"));
        QVERIFY(Profile::iCloudProfileID != Profile::localProfileID);
        ShellNode a;
        a.children = QList<ShellNode>{ShellNode{}};
        QVERIFY(a == a);
    }
};

QTEST_GUILESS_MAIN(TestEnums)
#include "tst_enums.moc"
