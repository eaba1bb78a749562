#pragma once

#include "settings/window/pages/SettingsPage.h"

class OptionCard;
class Preferences;
class QLabel;
struct SettingsServices;

// The run tab: a new window or a new tab for each run, and (on Linux) the
// terminal that takes the runs.
class RunPage : public SettingsPage
{
    Q_OBJECT
public:
    explicit RunPage(const SettingsServices &services, QWidget *parent = nullptr);

private:
    void refreshRunMode();

    Preferences &m_preferences;
    OptionCard *m_windowCard = nullptr;
    OptionCard *m_tabCard = nullptr;
    QLabel *m_runHint = nullptr;
};
