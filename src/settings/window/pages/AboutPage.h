#pragma once

#include "settings/window/pages/SettingsPage.h"

struct SettingsServices;

// The about tab: the application, its version and build, and the update check.
class AboutPage : public SettingsPage
{
    Q_OBJECT
public:
    explicit AboutPage(const SettingsServices &services, QWidget *parent = nullptr);
};
