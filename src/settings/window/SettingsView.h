#pragma once

#include "library/Profile.h"
#include "settings/window/SettingsServices.h"

#include <QWidget>

#include <optional>

class Card;
class ElidedLabel;
class OptionCard;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QVBoxLayout;
class ShellRunner;
class ShellStore;
class StateTransition;
class Switch;
class SymbolIcon;
class TerminalTrial;

// The tabs of the settings window, in display order.
enum class SettingsTab { general, sync, run, appearance, about };

// The settings: every control writes a preference or calls the store, the
// language manager, the login item or the update check. Built in the current
// language; the window builds a new one when the language changes.
class SettingsView : public QWidget
{
    Q_OBJECT
public:
    SettingsView(ShellStore &store, SettingsServices services, QWidget *parent = nullptr);
    ~SettingsView() override;

    SettingsTab selection() const;
    void setSelection(SettingsTab tab);

    // The profile whose removal is being confirmed.
    const std::optional<Profile> &pendingRemove() const { return m_pendingRemove; }

    // The document path the sync tab shows.
    QString shownDocumentPath() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *page(const QString &name, QWidget *content);
    QWidget *buildGeneral();
    QWidget *buildSync();
    QWidget *buildRun();
    QWidget *buildAppearance();
    QWidget *buildAbout();
    Card *buildTerminalCard();

    void refreshProfiles();
    void refreshLogin();
    void refreshSync();
    void refreshRunMode();
    void refreshTerminal();
    void refreshAppearance();
    void preferenceChanged(const QString &key);

    void confirmRemoval(const Profile &profile);
    void loginSwitched(bool on);
    void terminalChosen(int index);
    void storeCustomTerminal();
    void tryTerminal();
    void chooseSyncFolder();

    Preferences &preferences() const;

    ShellStore &m_store;
    SettingsServices m_services;
    std::optional<Profile> m_pendingRemove;
    bool m_syncOn = true;

    QTabWidget *m_tabs = nullptr;
    Card *m_profilesCard = nullptr;
    Switch *m_loginSwitch = nullptr;
    Switch *m_syncSwitch = nullptr;
    QWidget *m_syncTile = nullptr;
    StateTransition *m_syncTextFade = nullptr;
    QLabel *m_syncHeadline = nullptr;
    QLabel *m_syncDetail = nullptr;
    SymbolIcon *m_locationIcon = nullptr;
    ElidedLabel *m_locationPath = nullptr;
    ElidedLabel *m_syncFolderPath = nullptr;
    QPushButton *m_defaultSyncFolder = nullptr;
    OptionCard *m_windowCard = nullptr;
    OptionCard *m_tabCard = nullptr;
    QLabel *m_runHint = nullptr;
    QComboBox *m_terminalChoice = nullptr;
    QLineEdit *m_terminalCommand = nullptr;
    QLabel *m_terminalHelp = nullptr;
    QPushButton *m_tryButton = nullptr;
    QLabel *m_tryResult = nullptr;
    QList<OptionCard *> m_appearanceCards;
    ShellRunner *m_trialRunner = nullptr;
    TerminalTrial *m_trial = nullptr;
};
