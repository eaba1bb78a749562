// A tray that appears after Orlenta started, the usual race at login: the
// icon must come then. Each case runs in a process of its own (Qt picks the
// tray protocol once per process), under Xvfb with a private session bus;
// see tests/menubar/CMakeLists.txt.
#include "menubar/TrayHostWatcher.h"
#include "menubar/TrayIcon.h"

#include "FakeStatusNotifierWatcher.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>

#include <cstdlib>
#include <memory>

#include <xcb/xcb.h>

namespace {

// Qt's XEmbed icon window sits in the tray's window once docked.
bool dockedInTray()
{
    QWidget *icon = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->objectName() == u"QSystemTrayIconSys")
            icon = widget;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!icon || !x11)
        return false;
    xcb_connection_t *connection = x11->connection();
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
        xcb_query_tree_reply(connection,
                             xcb_query_tree(connection, static_cast<xcb_window_t>(icon->winId())),
                             nullptr),
        &std::free);
    return tree && tree->parent != tree->root;
}

} // namespace

class TestLateTray : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void statusNotifierWatcherComesLate();
    void xembedTrayComesLate();

private:
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<TrayHostWatcher> m_hosts;
    std::unique_ptr<TrayIcon> m_tray;
};

void TestLateTray::initTestCase()
{
    if (QGuiApplication::platformName() != u"xcb" || !QDBusConnection::sessionBus().isConnected())
        QSKIP("needs an X server and a private session bus (xvfb-run, dbus-run-session)");
}

// As the application wires them: the icon is made when a tray comes.
void TestLateTray::init()
{
    m_menu = std::make_unique<QMenu>();
    m_menu->addAction(QStringLiteral("entry"));
    m_hosts = std::make_unique<TrayHostWatcher>(QDBusConnection::sessionBus());
    m_tray = std::make_unique<TrayIcon>(m_menu.get());
    connect(m_hosts.get(), &TrayHostWatcher::hostAppeared, m_tray.get(), &TrayIcon::show);
    // The bus has answered by then: no tray of either kind.
    QTest::qWait(300);
    QVERIFY(!m_hosts->isHostPresent());
    QVERIFY(!m_tray->isVisible());
}

void TestLateTray::cleanup()
{
    m_tray.reset();
    m_hosts.reset();
    m_menu.reset();
}

void TestLateTray::statusNotifierWatcherComesLate()
{
    QThread thread;
    thread.start();
    const auto stop = qScopeGuard([&thread] {
        thread.quit();
        thread.wait();
    });
    FakeStatusNotifierWatcher *watcher = FakeStatusNotifierWatcher::startIn(thread);
    QVERIFY(watcher);
    QTRY_VERIFY(m_hosts->isHostPresent());
    QTRY_VERIFY(m_tray->isVisible());
    // The icon registers as a StatusNotifierItem, not as an XEmbed window
    // that no tray would ever take.
    QTRY_COMPARE(watcher->items().size(), 1);
    const QDBusReply<uint> owner =
        QDBusConnection::sessionBus().interface()->servicePid(watcher->items().first());
    QCOMPARE(qint64(owner.value()), QCoreApplication::applicationPid());
    m_tray.reset(); // leaves the bus before the watcher does
}

void TestLateTray::xembedTrayComesLate()
{
    const QString trayer = QStandardPaths::findExecutable(QStringLiteral("trayer"));
    if (trayer.isEmpty())
        QSKIP("needs Debian's trayer for an XEmbed tray");
    QProcess tray;
    tray.start(trayer,
               {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("request"),
                QStringLiteral("--height"), QStringLiteral("24")});
    QVERIFY(tray.waitForStarted());
    const auto stop = qScopeGuard([&tray] {
        tray.terminate();
        tray.waitForFinished();
    });
    QTRY_VERIFY_WITH_TIMEOUT(m_hosts->isHostPresent(), 10000);
    QTRY_VERIFY(m_tray->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(dockedInTray(), 10000);
}

QTEST_MAIN(TestLateTray)
#include "tst_latetray.moc"
