#pragma once

#include "settings/window/pages/SettingsServices.h"

#include <QPointer>
#include <QWidget>

class SettingsView;
class ShellStore;

// The settings window: one at a time, a fixed 600 × 540 content. A change of
// language builds its view afresh on the same tab.
class SettingsWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsWindow(ShellStore &store, QWidget *parent = nullptr);
    SettingsWindow(ShellStore &store, SettingsServices services, QWidget *parent = nullptr);

    ShellStore &store() const { return m_store; }
    SettingsView *view() const;

private:
    void rebuild();

    ShellStore &m_store;
    SettingsServices m_services;
    QPointer<SettingsView> m_view;
};
