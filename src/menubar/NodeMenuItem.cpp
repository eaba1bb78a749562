#include "menubar/NodeMenuItem.h"

#include "language/LanguageManager.h"
#include "ui/IconMap.h"

#include <QAction>
#include <QMenu>

NodeMenuItem::NodeMenuItem(ShellNode node, ShellStore &store, RunController &runController)
    : m_node(std::move(node)), m_store(store), m_runController(runController)
{}

QString NodeMenuItem::escapedTitle(const QString &text)
{
    if (!text.contains(u'&') && !text.contains(u'\t'))
        return text;
    QString title = text;
    title.replace(u'&', QStringLiteral("&&"));
    title.replace(u'\t', u' ');
    return title;
}

void NodeMenuItem::addTo(QMenu *menu, const MenuRunner &run) const
{
    static const QIcon folderIcon = IconMap::icon(QStringLiteral("folder"));
    static const QIcon terminalIcon = IconMap::icon(QStringLiteral("terminal"));
    static const QIcon play = IconMap::icon(QStringLiteral("play.fill"));

    const QString title = escapedTitle(m_node.displayName());
    if (m_node.kind == NodeKind::folder) {
        auto *submenu = new QMenu(title, menu);
        submenu->setIcon(folderIcon);
        if (!m_node.children || m_node.children->isEmpty()) {
            submenu->addAction(LanguageManager::localized(QStringLiteral("（空文件夹）")))
                ->setEnabled(false);
        } else {
            for (const ShellNode &child : *m_node.children)
                NodeMenuItem(child, m_store, m_runController).addTo(submenu, run);
        }
        menu->addMenu(submenu);
        return;
    }

    const QStringList presets = m_node.argPresets();
    if (presets.isEmpty()) {
        QAction *action = menu->addAction(terminalIcon, title);
        const ShellNode node = m_node;
        QObject::connect(action, &QAction::triggered, action,
                         [run, node] { run(node, std::nullopt); });
        return;
    }
    auto *submenu = new QMenu(title, menu);
    submenu->setIcon(terminalIcon);
    for (const QString &preset : presets) {
        QAction *action = submenu->addAction(play, escapedTitle(preset));
        const ShellNode node = m_node;
        QObject::connect(action, &QAction::triggered, action,
                         [run, node, preset] { run(node, preset); });
    }
    menu->addMenu(submenu);
}
