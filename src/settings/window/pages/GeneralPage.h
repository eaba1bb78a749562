#pragma once

#include "library/Profile.h"
#include "settings/window/pages/SettingsPage.h"

#include <functional>
#include <memory>
#include <optional>

class Card;
class LoginItemService;
class Preferences;
class ShellStore;
class Switch;
struct SettingsServices;

// The general tab: the custom profiles (each removable, with or without its
// file), launch at login and the interface language.
class GeneralPage : public SettingsPage
{
    Q_OBJECT
public:
    GeneralPage(ShellStore &store, const SettingsServices &services, QWidget *parent = nullptr);

    // The profile whose removal is being confirmed.
    const std::optional<Profile> &pendingRemove() const { return m_pendingRemove; }

    // The login switch follows the real registration, which may have changed outside.
    void windowShown() override;

private:
    Card *buildLogin();
    Card *buildLanguages();
    void refreshProfiles();
    void refreshLogin();
    void confirmRemoval(const Profile &profile);
    void loginSwitched(bool on);

    ShellStore &m_store;
    Preferences &m_preferences;
    std::shared_ptr<LoginItemService> m_loginItems;
    std::function<void(const QString &line)> m_systemLog;
    std::optional<Profile> m_pendingRemove;

    Card *m_profilesCard = nullptr;
    Switch *m_loginSwitch = nullptr;
};
