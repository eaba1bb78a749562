#include "app/LazyWindowIcon.h"

#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QTest>
#include <QWidget>

class TestLazyWindowIcon : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A tray's own window and popups come and go without the icon being
    // made; the first window a window manager shows has it.
    void firstManagedWindowGetsTheIcon()
    {
        int made = 0;
        QPixmap red(16, 16);
        red.fill(Qt::red);
        LazyWindowIcon lazy([&made, &red] {
            ++made;
            return QIcon(red);
        });

        QWidget trayLike(nullptr,
                         Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
        trayLike.show();
        QMenu menu;
        menu.addAction(QStringLiteral("item"));
        menu.popup(QPoint(0, 0));
        QCOMPARE(made, 0);
        QVERIFY(QApplication::windowIcon().isNull());
        QVERIFY(lazy.isWaiting());

        QWidget window;
        window.show();
        QCOMPARE(made, 1);
        QVERIFY(!lazy.isWaiting());
        QCOMPARE(window.windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
    }
};

QTEST_MAIN(TestLazyWindowIcon)
#include "tst_lazywindowicon.moc"
