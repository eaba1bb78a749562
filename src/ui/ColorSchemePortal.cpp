#include "ui/ColorSchemePortal.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace {

const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString interface = QStringLiteral("org.freedesktop.portal.Settings");
const QString group = QStringLiteral("org.freedesktop.appearance");
const QString key = QStringLiteral("color-scheme");

} // namespace

ColorSchemePortal::ColorSchemePortal(QDBusConnection bus, QObject *parent)
    : QObject(parent), m_bus(std::move(bus))
{
    if (!m_bus.isConnected())
        return;
    // Any sender: naming the portal's service would cost a blocking look-up
    // of its owner at start.
    m_bus.connect(QString(), path, interface, QStringLiteral("SettingChanged"),
                  QStringLiteral("ssv"), this, SLOT(settingChanged(QDBusMessage)));
    QDBusMessage read =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Read"));
    read.setArguments({group, key});
    // Without a portal the call fails soon and nothing changes; with one the
    // start does not wait for it.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(read), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher *call) {
                call->deleteLater();
                const QDBusMessage reply = call->reply();
                if (m_changedSinceRead || reply.type() != QDBusMessage::ReplyMessage ||
                    reply.arguments().isEmpty())
                    return;
                take(fromValue(reply.arguments().first()));
            });
}

ColorScheme ColorSchemePortal::fromValue(const QVariant &value)
{
    QVariant inner = value;
    // Read wraps the value in one variant more than SettingChanged does.
    while (inner.metaType() == QMetaType::fromType<QDBusVariant>())
        inner = inner.value<QDBusVariant>().variant();
    bool ok = false;
    const uint number = inner.toUInt(&ok);
    if (!ok)
        return ColorScheme::noPreference;
    switch (number) {
    case 1:
        return ColorScheme::dark;
    case 2:
        return ColorScheme::light;
    default:
        return ColorScheme::noPreference;
    }
}

void ColorSchemePortal::settingChanged(const QDBusMessage &message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() != 3 || arguments.at(0).toString() != group ||
        arguments.at(1).toString() != key)
        return;
    m_changedSinceRead = true;
    take(fromValue(arguments.at(2)));
}

void ColorSchemePortal::take(ColorScheme scheme)
{
    if (scheme == m_scheme)
        return;
    m_scheme = scheme;
    Q_EMIT schemeChanged(scheme);
}
