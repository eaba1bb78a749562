#include "menubar/TrayIcon.h"

#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

class TestTrayIcon : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void eitherClickOpensTheMenu();
    void leftClickWhereNoMenuCanOpen();
};

void TestTrayIcon::eitherClickOpensTheMenu()
{
    QMenu menu;
    menu.addAction(QStringLiteral("entry"));
    TrayIcon tray(&menu);
    QSignalSpy shown(&tray, &TrayIcon::shown);
    tray.show();
    QCOMPARE(shown.size(), 1);
    QSystemTrayIcon *icon = tray.systemTrayIcon();
    QVERIFY(icon);
    // A right click: the tray (or its host) shows the context menu itself.
    QCOMPARE(icon->contextMenu(), &menu);
    QCOMPARE(icon->toolTip(), QStringLiteral("Orlenta"));
    Q_EMIT icon->activated(QSystemTrayIcon::Context);
    QVERIFY(!menu.isVisible());
    // A left click opens the same menu.
    Q_EMIT icon->activated(QSystemTrayIcon::Trigger);
    QTRY_VERIFY(menu.isVisible());
}

void TestTrayIcon::leftClickWhereNoMenuCanOpen()
{
    QMenu menu;
    menu.addAction(QStringLiteral("entry"));
    TrayIcon tray(&menu);
    QVERIFY(tray.leftClickOpensMenu()); // offscreen, as on X11
    tray.setLeftClickOpensMenu(false);  // as on Wayland
    QSignalSpy window(&tray, &TrayIcon::windowRequested);
    tray.show();
    Q_EMIT tray.systemTrayIcon()->activated(QSystemTrayIcon::Trigger);
    QCOMPARE(window.size(), 1);
    QTest::qWait(50);
    QVERIFY(!menu.isVisible());
    // The right click is the panel's: the menu stays attached for it.
    QCOMPARE(tray.systemTrayIcon()->contextMenu(), &menu);
    Q_EMIT tray.systemTrayIcon()->activated(QSystemTrayIcon::Context);
    QCOMPARE(window.size(), 1);
}

QTEST_MAIN(TestTrayIcon)
#include "tst_trayicon.moc"
