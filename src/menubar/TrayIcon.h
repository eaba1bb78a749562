#pragma once

#include "ui/IconMap.h"

#include <QObject>

#include <memory>
#include <optional>

class QMenu;
class QSystemTrayIcon;

// The tray icon: the symbol in the variant the panel needs, the tool tip,
// and the tray menu on either click. The menu belongs to its view. The
// platform's icon is made at the first show(), once a tray is there (see
// TrayHostWatcher for why not before).
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    explicit TrayIcon(QMenu *menu, QObject *parent = nullptr);
    ~TrayIcon() override;

    void show();
    bool isVisible() const;
    // For the notifier's fallback bubble; null before the first show().
    QSystemTrayIcon *systemTrayIcon() const { return m_tray.get(); }

    // Where a left click opens the menu too (not on Wayland; see TrayIcon.cpp).
    bool leftClickOpensMenu() const { return m_leftClickOpensMenu; }
    void setLeftClickOpensMenu(bool opens) { m_leftClickOpensMenu = opens; }

    // The symbol's variant for the panel's tone, read again (the desktop's
    // colour scheme changed, or the icon was just placed).
    void matchPanel();

Q_SIGNALS:
    void shown();
    // A left click where it does not open the menu.
    void windowRequested();

private:
    void create();

    QMenu *m_menu = nullptr;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    std::optional<PanelTone> m_tone;
    bool m_leftClickOpensMenu = true;
};
