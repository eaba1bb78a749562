#include "menubar/TrayIcon.h"

#include "ui/TrayPanelTone.h"

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {
// An XEmbed tray places the icon on its panel a moment after show.
constexpr int placedMilliseconds = 300;
} // namespace

TrayIcon::TrayIcon(QMenu *menu, QObject *parent) : QObject(parent), m_menu(menu) {}

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
                if (reason == QSystemTrayIcon::Trigger)
                    m_menu->popup(QCursor::pos());
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
