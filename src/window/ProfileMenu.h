#pragma once

#include <QMenu>

#include <functional>
#include <optional>

class ShellStore;
struct Profile;

// The toolbar's "配置" menu: every profile (the current one marked), the
// custom profiles to forget, and another document to open. Built afresh each
// time it opens, so it always shows the store's profiles as they are.
class ProfileMenu : public QMenu
{
    Q_OBJECT
public:
    // The JSON picker: a chosen document path, or none when cancelled.
    using ConfigPicker = std::function<std::optional<QString>()>;

    ProfileMenu(ShellStore &store, ConfigPicker pickConfig, QWidget *parent = nullptr);

    void rebuild();
    void openOtherConfig();

    // A profile as the menu names it. A custom one by its own name; on Linux
    // the cloud one by the synchronised folder the user chose (Nextcloud,
    // Syncthing, ...) and the local one by the Linux word for Documents.
    static QString title(const Profile &profile, const ShellStore &store);

private:
    ShellStore &m_store;
    ConfigPicker m_pickConfig;
};
