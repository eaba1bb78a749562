#include "settings/window/SettingsWindow.h"

#include "language/LanguageManager.h"
#include "ui/IconMap.h"

#include <QVBoxLayout>

SettingsWindow::SettingsWindow(ShellStore &store, QWidget *parent)
    : QWidget(parent, Qt::Window), m_store(store)
{
    setObjectName(QStringLiteral("settings"));
    setWindowIcon(IconMap::applicationIcon());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    resize(560, 420);
    rebuild();
    connect(&LanguageManager::shared(), &LanguageManager::languageChanged, this,
            &SettingsWindow::rebuild);
}

void SettingsWindow::rebuild()
{
    setWindowTitle(LanguageManager::localized(QStringLiteral("设置")));
    delete m_content;
    m_content = new QWidget(this);
    m_content->setObjectName(QStringLiteral("content"));
    layout()->addWidget(m_content);
}
