#pragma once

#include "settings/window/pages/SettingsPage.h"

#include "settings/PreferenceKeys.h"

#include <QList>

#include <utility>

class OptionCard;
class Preferences;
struct SettingsServices;

// The appearance tab: light, dark or following the system, each shown as a
// miniature window; a choice applies at once.
class AppearancePage : public SettingsPage
{
    Q_OBJECT
public:
    explicit AppearancePage(const SettingsServices &services, QWidget *parent = nullptr);

private:
    void refresh();

    Preferences &m_preferences;
    QList<std::pair<OptionCard *, AppearanceMode>> m_cards;
};
