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
};

void TestTrayWaiter::trayAlreadyThere()
{
    TrayWaiter waiter([] { return true; }, 200, 20);
    QSignalSpy ready(&waiter, &TrayWaiter::ready);
    waiter.start();
    QCOMPARE(ready.size(), 1);
    QVERIFY(!waiter.isWaiting());
}

void TestTrayWaiter::trayArrivesLate()
{
    int asked = 0;
    TrayWaiter waiter([&asked] { return ++asked >= 3; }, 2000, 10);
    QSignalSpy ready(&waiter, &TrayWaiter::ready);
    QSignalSpy timedOut(&waiter, &TrayWaiter::timedOut);
    waiter.start();
    QVERIFY(ready.wait(2000));
    QCOMPARE(asked, 3);
    QVERIFY(!waiter.isWaiting());
    QTest::qWait(50);
    QCOMPARE(asked, 3); // no more checks
    QCOMPARE(timedOut.size(), 0);
}

void TestTrayWaiter::noTrayGivesUpOnce()
{
    int asked = 0;
    TrayWaiter waiter(
        [&asked] {
            ++asked;
            return false;
        },
        100, 20);
    QSignalSpy ready(&waiter, &TrayWaiter::ready);
    QSignalSpy timedOut(&waiter, &TrayWaiter::timedOut);
    waiter.start();
    QVERIFY(timedOut.wait(2000));
    QCOMPARE(asked, 1 + 100 / 20); // sparse: once at start, then every 20 ms
    QVERIFY(!waiter.isWaiting());
    QTest::qWait(80);
    QCOMPARE(timedOut.size(), 1);
    QCOMPARE(ready.size(), 0);
    QCOMPARE(asked, 1 + 100 / 20);
}

QTEST_GUILESS_MAIN(TestTrayWaiter)
#include "tst_traywaiter.moc"
