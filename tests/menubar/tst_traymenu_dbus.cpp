// The tray menu as a StatusNotifierItem host sees it: read over D-Bus
// (com.canonical.dbusmenu) on a private session bus, under Xvfb, with a
// stand-in StatusNotifierWatcher. Runs through tests/menubar/CMakeLists.txt's
// xvfb-run and dbus-run-session wrapper.
#include "library/ShellStore.h"
#include "menubar/MenuBarView.h"
#include "run/RunController.h"
#include "settings/Preferences.h"
#include "ui/IconMap.h"

#include "FakeStatusNotifierWatcher.h"
#include "TestNodes.h"
#include "TestSupport.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>
#include <QThread>

namespace {

using TestNodes::folder;

ShellNode script(const QString &name, std::optional<QStringList> args = std::nullopt)
{
    return TestNodes::script(name, QStringLiteral("/x/%1.sh").arg(name), std::move(args));
}

struct LayoutItem
{
    int id = 0;
    QVariantMap properties;
    QList<LayoutItem> children;
};

LayoutItem readItem(const QDBusArgument &argument)
{
    LayoutItem item;
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        item.children.append(readItem(child.variant().value<QDBusArgument>()));
    }
    argument.endArray();
    argument.endStructure();
    return item;
}

// A dbusmenu client as a desktop's tray host is one: before it reads a
// submenu it announces it with AboutToShow. Blocking calls, so it runs in a
// thread of its own while the menu answers from the main thread.
class MenuClient
{
public:
    MenuClient(QDBusConnection connection, QString service, QString path)
        : m_connection(std::move(connection)), m_service(std::move(service)),
          m_path(std::move(path))
    {}

    std::optional<LayoutItem> layout(int parent, int depth) const
    {
        const QDBusMessage reply =
            call(QStringLiteral("GetLayout"), {parent, depth, QStringList()});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2)
            return std::nullopt;
        return readItem(reply.arguments().at(1).value<QDBusArgument>());
    }

    // One line per item, as tst_menubarview writes them, without icons.
    void dump(int parent, int depth, QStringList &lines) const
    {
        const std::optional<LayoutItem> menu = layout(parent, 1);
        if (!menu) {
            lines.append(QStringLiteral("<GetLayout %1 failed>").arg(parent));
            return;
        }
        for (const LayoutItem &item : menu->children) {
            const QString indent(depth * 2, u' ');
            if (item.properties.value(QStringLiteral("type")).toString() == u"separator") {
                lines.append(indent + QStringLiteral("---"));
                continue;
            }
            const bool enabled = item.properties.value(QStringLiteral("enabled"), true).toBool();
            const bool submenu =
                item.properties.value(QStringLiteral("children-display")).toString() == u"submenu";
            lines.append(indent + (enabled ? QString() : QStringLiteral("~")) +
                         item.properties.value(QStringLiteral("label")).toString() +
                         (submenu ? QStringLiteral(" >") : QString()));
            if (submenu) {
                call(QStringLiteral("AboutToShow"), {item.id});
                dump(item.id, depth + 1, lines);
            }
        }
    }

    int idOf(int parent, const QStringList &labels) const
    {
        int id = parent;
        for (const QString &label : labels) {
            call(QStringLiteral("AboutToShow"), {id});
            const std::optional<LayoutItem> menu = layout(id, 1);
            if (!menu)
                return -1;
            const auto it = std::find_if(
                menu->children.cbegin(), menu->children.cend(), [&label](const LayoutItem &item) {
                    return item.properties.value(QStringLiteral("label")).toString() == label;
                });
            if (it == menu->children.cend())
                return -1;
            id = it->id;
        }
        return id;
    }

    QDBusMessage call(const QString &method, const QVariantList &arguments) const
    {
        QDBusMessage message = QDBusMessage::createMethodCall(
            m_service, m_path, QStringLiteral("com.canonical.dbusmenu"), method);
        message.setArguments(arguments);
        return m_connection.call(message, QDBus::Block, 10000);
    }

private:
    QDBusConnection m_connection;
    QString m_service;
    QString m_path;
};

// The application's commands below the tree, as the menu holds them.
QStringList commandsOf(const QMenu *menu)
{
    QStringList lines;
    bool below = false;
    for (const QAction *action : menu->actions()) {
        below = below || action->isSeparator();
        if (below)
            lines.append(action->isSeparator() ? QStringLiteral("---") : action->text());
    }
    return lines;
}

// Runs work in a thread of its own and keeps the main thread's event loop
// going until it has finished.
template <typename Work> auto inThread(Work work)
{
    std::invoke_result_t<Work> result{};
    std::unique_ptr<QThread> thread(QThread::create([&] { result = work(); }));
    thread->start();
    while (!thread->wait(QDeadlineTimer(5)))
        QCoreApplication::processEvents();
    return result;
}

} // namespace

class TestTrayMenuDBus : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void everySubmenuIsReadable();
    void entryChosenOverDBusRuns();

private:
    QThread m_watcherThread;
    FakeStatusNotifierWatcher *m_watcher = nullptr;
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<ShellStore> m_store;
    std::unique_ptr<RunController> m_runs;
    std::unique_ptr<MenuBarView> m_view;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    std::optional<MenuClient> m_client;
    QList<std::pair<QUuid, std::optional<QString>>> m_ran;
    ShellNode m_service;
};

void TestTrayMenuDBus::initTestCase()
{
    if (QGuiApplication::platformName() != u"xcb" || !QDBusConnection::sessionBus().isConnected())
        QSKIP("needs an X server and a private session bus (xvfb-run, dbus-run-session)");

    m_watcherThread.start();
    m_watcher = FakeStatusNotifierWatcher::startIn(m_watcherThread);
    QVERIFY(m_watcher);

    m_home = std::make_unique<TestHome>();
    m_preferences = std::make_unique<Preferences>(m_home->preferencesFile());
    m_store = std::make_unique<ShellStore>(*m_preferences, m_home->locations());
    m_service =
        script(QStringLiteral("svc"), QStringList{QStringLiteral("start"), QStringLiteral("stop")});
    QList<ShellNode> many;
    for (int i = 0; i < 30; ++i)
        many.append(script(QStringLiteral("s%1").arg(i)));
    m_store->setRoots(
        {folder(QStringLiteral("tools"),
                QList<ShellNode>{script(QStringLiteral("deploy")), m_service,
                                 folder(QStringLiteral("old"),
                                        QList<ShellNode>{folder(QStringLiteral("older"))})}),
         folder(QStringLiteral("many"), many), script(QStringLiteral("top"))});
    m_store->setPublished(true);
    m_runs = std::make_unique<RunController>();
    m_view = std::make_unique<MenuBarView>(*m_store, *m_runs);
    m_view->setRunner([this](const ShellNode &node, std::optional<QString> arg) {
        m_ran.append({node.id, arg});
    });

    QVERIFY(QSystemTrayIcon::isSystemTrayAvailable());
    m_tray = std::make_unique<QSystemTrayIcon>(IconMap::trayIcon());
    m_tray->setContextMenu(m_view->menu());
    m_tray->show();
    QTRY_COMPARE(m_watcher->items().size(), 1);

    const QString item = m_watcher->items().first();
    const QString menuPath = inThread([item] {
        QDBusMessage get = QDBusMessage::createMethodCall(
            item, QStringLiteral("/StatusNotifierItem"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get.setArguments({QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Menu")});
        const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 10000);
        if (reply.arguments().isEmpty())
            return QString();
        return reply.arguments()
            .first()
            .value<QDBusVariant>()
            .variant()
            .value<QDBusObjectPath>()
            .path();
    });
    QVERIFY(!menuPath.isEmpty());
    m_client.emplace(
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("client")), item,
        menuPath);
}

void TestTrayMenuDBus::cleanupTestCase()
{
    m_tray.reset();
    m_view.reset();
    m_watcherThread.quit();
    m_watcherThread.wait();
}

void TestTrayMenuDBus::everySubmenuIsReadable()
{
    // The first read of a host: the whole tree at once, before anything was
    // shown. Submenus are announced as such even while still empty.
    const std::optional<LayoutItem> whole = inThread([this] { return m_client->layout(0, -1); });
    QVERIFY(whole);
    QCOMPARE(whole->children.first().properties.value(QStringLiteral("children-display")),
             QVariant(QStringLiteral("submenu")));

    QStringList expected = {QStringLiteral("tools >"),     QStringLiteral("  deploy"),
                            QStringLiteral("  svc >"),     QStringLiteral("    start"),
                            QStringLiteral("    stop"),    QStringLiteral("  old >"),
                            QStringLiteral("    older >"), QStringLiteral("      ~（空文件夹）"),
                            QStringLiteral("many >")};
    for (int i = 0; i < 30; ++i)
        expected.append(QStringLiteral("  s%1").arg(i));
    expected.append(QStringLiteral("top"));
    expected += commandsOf(m_view->menu());
    const QStringList lines = inThread([this] {
        QStringList out;
        m_client->dump(0, 0, out);
        return out;
    });
    QCOMPARE(lines, expected);

    // A host that reads again after the menu was rebuilt sees it whole too.
    m_store->setRoots(
        {folder(QStringLiteral("fresh"), QList<ShellNode>{script(QStringLiteral("a"))})});
    QTRY_COMPARE(m_view->menu()->actions().first()->text(), QStringLiteral("fresh"));
    const QStringList again = inThread([this] {
        QStringList out;
        m_client->dump(0, 0, out);
        return out;
    });
    QCOMPARE(again.mid(0, 3), (QStringList{QStringLiteral("fresh >"), QStringLiteral("  a"),
                                           QStringLiteral("---")}));
}

void TestTrayMenuDBus::entryChosenOverDBusRuns()
{
    m_store->setRoots({folder(QStringLiteral("tools"), QList<ShellNode>{m_service})});
    QTRY_COMPARE(m_view->menu()->actions().first()->text(), QStringLiteral("tools"));
    m_ran.clear();
    const int stop = inThread([this] {
        return m_client->idOf(
            0, {QStringLiteral("tools"), QStringLiteral("svc"), QStringLiteral("stop")});
    });
    QVERIFY(stop > 0);
    inThread([this, stop] {
        return m_client
            ->call(QStringLiteral("Event"),
                   {stop, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u})
            .type();
    });
    QTRY_COMPARE(m_ran.size(), 1);
    QCOMPARE(m_ran.first().first, m_service.id);
    QCOMPARE(m_ran.first().second, std::optional<QString>(QStringLiteral("stop")));
}

QTEST_MAIN(TestTrayMenuDBus)
#include "tst_traymenu_dbus.moc"
