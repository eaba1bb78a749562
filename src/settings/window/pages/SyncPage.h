#pragma once

#include "settings/window/pages/SettingsPage.h"

#include <functional>

class ElidedLabel;
class Preferences;
class QLabel;
class QPushButton;
class ShellStore;
class StateTransition;
class Switch;
class SymbolIcon;
class SyncStatusTile;
struct SettingsServices;

// The sync tab: local or synchronised document, where it is, and (on Linux)
// which folder stands in for the cloud drive.
class SyncPage : public SettingsPage
{
    Q_OBJECT
public:
    SyncPage(ShellStore &store, const SettingsServices &services, QWidget *parent = nullptr);

    // The document path the tab shows, worked out here rather than asked of the store.
    QString shownDocumentPath() const;

    void windowShown() override;

private:
    void buildSyncCard(QLayout *layout);
    void buildNotes(QLayout *layout);
    QWidget *buildFolderRow(QWidget *card, const QFont &pathFont);
    void refreshSync();
    void chooseSyncFolder();
    bool hasChosenFolder() const;

    ShellStore &m_store;
    Preferences &m_preferences;
    std::function<void(const QString &path)> m_reveal;
    std::function<QString(QWidget *parent, const QString &start)> m_chooseFolder;
    bool m_syncOn = true;

    Switch *m_syncSwitch = nullptr;
    SyncStatusTile *m_syncTile = nullptr;
    StateTransition *m_syncTextFade = nullptr;
    QLabel *m_syncHeadline = nullptr;
    QLabel *m_syncDetail = nullptr;
    SymbolIcon *m_locationIcon = nullptr;
    ElidedLabel *m_locationPath = nullptr;
    ElidedLabel *m_syncFolderPath = nullptr;
    QPushButton *m_defaultSyncFolder = nullptr;
};
