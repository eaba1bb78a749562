#include "settings/window/SettingsWindow.h"

#include "language/LanguageManager.h"
#include "settings/window/SettingsView.h"
#include "ui/IconMap.h"

#include <QVBoxLayout>

SettingsWindow::SettingsWindow(ShellStore &store, QWidget *parent)
    : SettingsWindow(store, SettingsServices::standard(), parent)
{}

SettingsWindow::SettingsWindow(ShellStore &store, SettingsServices services, QWidget *parent)
    : QWidget(parent, Qt::Window), m_store(store), m_services(std::move(services))
{
    setObjectName(QStringLiteral("settings"));
    setWindowIcon(IconMap::applicationIcon());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    setFixedSize(600, 540);
    rebuild();
    connect(&LanguageManager::shared(), &LanguageManager::languageChanged, this,
            &SettingsWindow::rebuild);
}

SettingsView *SettingsWindow::view() const
{
    return m_view.data();
}

void SettingsWindow::rebuild()
{
    setWindowTitle(LanguageManager::localized(QStringLiteral("设置")));
    const SettingsTab tab = m_view ? m_view->selection() : SettingsTab::general;
    const bool hadFocus = m_view && m_view->isAncestorOf(focusWidget());
    // A keyboard user stays on the control they were on (the language row just chosen).
    const QString focusName = hadFocus ? focusWidget()->objectName() : QString();
    if (m_view) {
        m_view->hide();
        m_view->deleteLater();
    }
    m_view = new SettingsView(m_store, m_services, this);
    m_view->setObjectName(QStringLiteral("content"));
    m_view->setSelection(tab);
    layout()->addWidget(m_view);
    if (!hadFocus)
        return;
    QWidget *same = focusName.isEmpty() ? nullptr : m_view->findChild<QWidget *>(focusName);
    if (same && same->isVisibleTo(m_view))
        same->setFocus(Qt::OtherFocusReason);
    else
        m_view->setFocus();
}
