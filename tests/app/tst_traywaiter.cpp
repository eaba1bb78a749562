#include "app/TrayWaiter.h"

#include <QSignalSpy>
#include <QTest>

class TestTrayWaiter : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void trayAlreadyThere();
    void trayArrivesLate();
    void noTrayGivesUpOnce();
    void trayAfterGivingUpStillCounts();
};

void TestTrayWaiter::trayAlreadyThere()
{
    TrayWaiter waiter(200);
    QSignalSpy ready(&waiter, &TrayWaiter::ready);
    waiter.start(true);
    QCOMPARE(ready.size(), 1);
    QVERIFY(!waiter.isWaiting());
    QVERIFY(waiter.hasTray());
}

void TestTrayWaiter::trayArrivesLate()
{
    TrayWaiter waiter(2000);
    QSignalSpy ready(&waiter, &TrayWaiter::ready);
    QSignalSpy timedOut(&waiter, &TrayWaiter::timedOut);
    waiter.start(false);
    QVERIFY(waiter.isWaiting());
    QTest::qWait(20);
    waiter.trayAppeared();
    waiter.trayAppeared(); // the bus and the X server may both tell
    QCOMPARE(ready.size(), 1);
    QVERIFY(!waiter.isWaiting());
    QCOMPARE(timedOut.size(), 0);
}

void TestTrayWaiter::noTrayGivesUpOnce()
{
    TrayWaiter waiter(100);
    QSignalSpy ready(&waiter, &TrayWaiter::ready);
    QSignalSpy timedOut(&waiter, &TrayWaiter::timedOut);
    waiter.start(false);
    QVERIFY(!waiter.isTrayMissing());
    QVERIFY(timedOut.wait(2000));
    QVERIFY(!waiter.isWaiting());
    QVERIFY(waiter.isTrayMissing());
    QTest::qWait(150);
    QCOMPARE(timedOut.size(), 1);
    QCOMPARE(ready.size(), 0);
}

void TestTrayWaiter::trayAfterGivingUpStillCounts()
{
    // The usual race at login: the window opened, then the panel came.
    TrayWaiter waiter(20);
    QSignalSpy ready(&waiter, &TrayWaiter::ready);
    QSignalSpy timedOut(&waiter, &TrayWaiter::timedOut);
    waiter.start(false);
    QVERIFY(timedOut.wait(2000));
    waiter.trayAppeared();
    QCOMPARE(ready.size(), 1);
    QVERIFY(!waiter.isTrayMissing());
    QCOMPARE(timedOut.size(), 1);
}

QTEST_GUILESS_MAIN(TestTrayWaiter)
#include "tst_traywaiter.moc"
