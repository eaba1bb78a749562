#pragma once

#include "settings/window/pages/SettingsServices.h"

#include <QMargins>
#include <QPointer>
#include <QRect>
#include <QWidget>

class SettingsView;
class ShellStore;

// The settings window: one at a time, a fixed 600 × 540 content (smaller only
// where the screen's free area is smaller), placed wholly inside that area.
// Esc and Ctrl+W close it. A change of language builds its view afresh on the
// same tab.
class SettingsWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsWindow(ShellStore &store, QWidget *parent = nullptr);
    SettingsWindow(ShellStore &store, SettingsServices services, QWidget *parent = nullptr);

    ShellStore &store() const { return m_store; }
    SettingsView *view() const;

    static constexpr QSize contentSize{600, 540};
    // Where a window of content size wanted goes in the free area of a screen,
    // given the frame the window manager adds around it: centred, shrunk to
    // fit, frame and all.
    static QRect placement(QSize wanted, const QRect &available, const QMargins &frame);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void rebuild();
    void fitToScreen();

    ShellStore &m_store;
    SettingsServices m_services;
    QPointer<SettingsView> m_view;
};
