#include "settings/window/SettingsView.h"

#include "language/LanguageManager.h"
#include "settings/window/pages/AboutPage.h"
#include "settings/window/pages/AppearancePage.h"
#include "settings/window/pages/GeneralPage.h"
#include "settings/window/pages/RunPage.h"
#include "settings/window/pages/SyncPage.h"
#include "ui/IconMap.h"

#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

SettingsView::SettingsView(ShellStore &store, SettingsServices services, QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->setDocumentMode(true);
    m_tabs->setIconSize(QSize(16, 16));
    layout->addWidget(m_tabs);

    // In the order of SettingsTab. Each page is built on its own and then
    // placed, so that Tab walks the pages in tab order.
    m_general = new GeneralPage(store, services);
    addPage(QStringLiteral("general"), m_general, QStringLiteral("gearshape"),
            LanguageManager::localized(QStringLiteral("通用")));
    m_sync = new SyncPage(store, services);
    addPage(QStringLiteral("sync"), m_sync, QStringLiteral("icloud"),
            LanguageManager::localized(QStringLiteral("同步")));
    addPage(QStringLiteral("run"), new RunPage(services), QStringLiteral("terminal"),
            LanguageManager::localized(QStringLiteral("运行")));
    addPage(QStringLiteral("appearance"), new AppearancePage(services),
            QStringLiteral("paintbrush"), LanguageManager::localized(QStringLiteral("外观")));
    addPage(QStringLiteral("about"), new AboutPage(services), QStringLiteral("info.circle"),
            LanguageManager::localized(QStringLiteral("关于")));
}

SettingsView::~SettingsView() = default;

// The page in a scroll area, for a long language that runs past the fixed
// window height.
void SettingsView::addPage(const QString &name, SettingsPage *page, const QString &symbol,
                           const QString &label)
{
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(name);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(page);
    scroll->viewport()->setAutoFillBackground(false);
    page->setAutoFillBackground(false);
    // The page takes focus to scroll by keyboard; a screen reader names it by its tab.
    scroll->setAccessibleName(label);
    m_tabs->addTab(scroll, IconMap::icon(symbol), label);
    m_pages.append(page);
}

SettingsTab SettingsView::selection() const
{
    return SettingsTab(m_tabs->currentIndex());
}

void SettingsView::setSelection(SettingsTab tab)
{
    m_tabs->setCurrentIndex(int(tab));
}

const std::optional<Profile> &SettingsView::pendingRemove() const
{
    return m_general->pendingRemove();
}

QString SettingsView::shownDocumentPath() const
{
    return m_sync->shownDocumentPath();
}

void SettingsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    for (SettingsPage *page : std::as_const(m_pages))
        page->windowShown();
}
