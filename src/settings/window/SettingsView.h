#pragma once

#include "library/Profile.h"
#include "settings/window/pages/SettingsServices.h"

#include <QList>
#include <QWidget>

#include <optional>

class GeneralPage;
class QTabWidget;
class SettingsPage;
class ShellStore;
class SyncPage;

// The tabs of the settings window, in display order.
enum class SettingsTab { general, sync, run, appearance, about };

// The settings: a tab bar over one page per tab. Every control writes a
// preference or calls the store, the language manager, the login item or the
// update check. Built in the current language; the window builds a new one
// when the language changes.
class SettingsView : public QWidget
{
    Q_OBJECT
public:
    SettingsView(ShellStore &store, SettingsServices services, QWidget *parent = nullptr);
    ~SettingsView() override;

    SettingsTab selection() const;
    void setSelection(SettingsTab tab);

    // The profile whose removal is being confirmed.
    const std::optional<Profile> &pendingRemove() const;

    // The document path the sync tab shows.
    QString shownDocumentPath() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void addPage(const QString &name, SettingsPage *page, const QString &symbol,
                 const QString &label);

    QTabWidget *m_tabs = nullptr;
    QList<SettingsPage *> m_pages;
    GeneralPage *m_general = nullptr;
    SyncPage *m_sync = nullptr;
};
