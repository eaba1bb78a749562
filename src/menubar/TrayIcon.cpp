#include "menubar/TrayIcon.h"

#include "ui/TrayPanelTone.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {
// An XEmbed tray places the icon on its panel a moment after show.
constexpr int placedMilliseconds = 300;
} // namespace

// On Wayland the click went to the panel, so the compositor lets the app
// neither place a popup at the pointer nor grab for one: the menu would come
// up as an ordinary window (sway tiles it full-screen). There the panel shows
// the menu itself on a right click, read over D-Bus, and a left click opens
// the management window.
TrayIcon::TrayIcon(QMenu *menu, QObject *parent)
    : QObject(parent), m_menu(menu),
      m_leftClickOpensMenu(!QGuiApplication::platformName().startsWith(u"wayland"))
{}

TrayIcon::~TrayIcon() = default;

void TrayIcon::show()
{
    if (!m_tray)
        create();
    m_tray->show();
    // The tone is read once the icon is placed, and again when the
    // desktop's scheme changes.
    QTimer::singleShot(placedMilliseconds, this, &TrayIcon::matchPanel);
    Q_EMIT shown();
}

void TrayIcon::create()
{
    m_tone = TrayPanelTone::of(QRect());
    m_tray = std::make_unique<QSystemTrayIcon>(IconMap::trayIcon(*m_tone));
    m_tray->setToolTip(QStringLiteral("Orlenta"));
    m_tray->setContextMenu(m_menu);
    // A left click opens the same menu as a right click.
    connect(m_tray.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason != QSystemTrayIcon::Trigger)
                    return;
                if (m_leftClickOpensMenu)
                    m_menu->popup(QCursor::pos());
                else
                    Q_EMIT windowRequested();
            });
}

bool TrayIcon::isVisible() const
{
    return m_tray && m_tray->isVisible();
}

void TrayIcon::matchPanel()
{
    if (!isVisible())
        return;
    const PanelTone tone = TrayPanelTone::of(m_tray->geometry());
    if (tone == m_tone)
        return;
    m_tone = tone;
    m_tray->setIcon(IconMap::trayIcon(tone));
}
