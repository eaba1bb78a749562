#include "menubar/TrayHostWatcher.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QGuiApplication>

#include <cstdlib>
#include <memory>

#ifdef ORLENTA_XCB
#include <xcb/xcb.h>

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t atomNamed(xcb_connection_t *connection, const QByteArray &name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, name.size(), name.constData()), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_screen_t *screenNumbered(xcb_connection_t *connection, int number)
{
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (; it.rem > 0; --number, xcb_screen_next(&it))
        if (number <= 0)
            return it.data;
    return nullptr;
}

} // namespace
#endif

TrayHostWatcher::TrayHostWatcher(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{
    const QString service = QString::fromLatin1(watcherService);
    if (m_bus.isConnected()) {
        m_serviceWatcher =
            new QDBusServiceWatcher(service, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(m_serviceWatcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this](const QString &, const QString &, const QString &owner) {
                    setStatusNotifier(!owner.isEmpty());
                });
        // Asked without waiting; a change that comes first wins.
        auto *asked = new QDBusPendingCallWatcher(
            m_bus.interface()->asyncCall(QStringLiteral("NameHasOwner"), service), this);
        connect(asked, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher *call) {
                    const QDBusPendingReply<bool> reply = *call;
                    call->deleteLater();
                    if (!reply.isError() && reply.value())
                        setStatusNotifier(true);
                });
    }
    watchXEmbed();
}

TrayHostWatcher::~TrayHostWatcher()
{
    if (m_managerAtom && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void TrayHostWatcher::watchXEmbed()
{
#ifdef ORLENTA_XCB
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    int screenNumber = 0;
    char *host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screenNumber))
        std::free(host);
    xcb_screen_t *screen = screenNumbered(connection, screenNumber);
    if (!screen)
        return;
    m_managerAtom = atomNamed(connection, QByteArrayLiteral("MANAGER"));
    m_selectionAtom =
        atomNamed(connection, "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber));
    if (!m_managerAtom || !m_selectionAtom)
        return;

    // A tray that starts announces itself with a MANAGER message to the root
    // window, sent to those that listen for its structure. Qt chooses the
    // root window's events; this adds to them, never takes any away.
    const Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, screen->root), nullptr),
        &std::free);
    if (attributes && !(attributes->your_event_mask & XCB_EVENT_MASK_STRUCTURE_NOTIFY)) {
        const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    }
    QCoreApplication::instance()->installNativeEventFilter(this);

    const Reply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, m_selectionAtom), nullptr),
        &std::free);
    m_xembed = owner && owner->owner != XCB_WINDOW_NONE;
#endif
}

bool TrayHostWatcher::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
#ifdef ORLENTA_XCB
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto *client = static_cast<const xcb_client_message_event_t *>(message);
    if (client->type == m_managerAtom && client->format == 32 &&
        client->data.data32[1] == m_selectionAtom) {
        // Told while Qt is still handling the event; the icon is made after.
        QMetaObject::invokeMethod(
            this, [this] { setXEmbed(true); }, Qt::QueuedConnection);
    }
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    return false;
}

void TrayHostWatcher::setStatusNotifier(bool present)
{
    const bool before = isHostPresent();
    m_statusNotifier = present;
    if (!before && isHostPresent())
        Q_EMIT hostAppeared();
}

void TrayHostWatcher::setXEmbed(bool present)
{
    const bool before = isHostPresent();
    m_xembed = present;
    if (!before && isHostPresent())
        Q_EMIT hostAppeared();
}
