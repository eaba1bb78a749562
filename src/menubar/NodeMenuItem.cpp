#include "menubar/NodeMenuItem.h"

#include "language/LanguageManager.h"
#include "ui/IconMap.h"
#include "ui/MenuTitle.h"

#include <QAction>
#include <QMenu>

NodeMenuItem::NodeMenuItem(ShellNode node, ShellStore &store, RunController &runController)
    : m_node(std::move(node)), m_store(store), m_runController(runController)
{}

namespace {

// A submenu is filled when it is first about to show, so a big library costs
// one empty submenu per entry of the top level at start. A desktop that reads
// the menu over D-Bus announces a submenu (AboutToShow) before reading it,
// which Qt passes on as the same signal.
QMenu *addSubmenu(QMenu *menu, const QString &title, const QIcon &icon,
                  std::function<void(QMenu *)> fill)
{
    auto *submenu = new QMenu(title, menu);
    submenu->setIcon(icon);
    QObject::connect(
        submenu, &QMenu::aboutToShow, submenu, [submenu, fill = std::move(fill)] { fill(submenu); },
        Qt::SingleShotConnection);
    menu->addMenu(submenu);
    return submenu;
}

} // namespace

void NodeMenuItem::addTo(QMenu *menu, const MenuRunner &run) const
{
    static const QIcon folderIcon = IconMap::icon(QStringLiteral("folder"));
    static const QIcon terminalIcon = IconMap::icon(QStringLiteral("terminal"));
    static const QIcon play = IconMap::icon(QStringLiteral("play.fill"));

    const QString title = MenuTitle::verbatim(m_node.displayName());
    if (m_node.kind == NodeKind::folder) {
        addSubmenu(
            menu, title, folderIcon,
            [node = m_node, &store = m_store, &runs = m_runController, run](QMenu *submenu) {
                if (!node.children || node.children->isEmpty()) {
                    submenu->addAction(LanguageManager::localized(QStringLiteral("（空文件夹）")))
                        ->setEnabled(false);
                    return;
                }
                for (const ShellNode &child : *node.children)
                    NodeMenuItem(child, store, runs).addTo(submenu, run);
            });
        return;
    }

    const QStringList presets = m_node.argPresets();
    if (presets.isEmpty()) {
        QAction *action = menu->addAction(terminalIcon, title);
        QObject::connect(action, &QAction::triggered, action,
                         [run, node = m_node] { run(node, std::nullopt); });
        return;
    }
    addSubmenu(menu, title, terminalIcon, [node = m_node, presets, run](QMenu *submenu) {
        for (const QString &preset : presets) {
            QAction *action = submenu->addAction(play, MenuTitle::verbatim(preset));
            QObject::connect(action, &QAction::triggered, action,
                             [run, node, preset] { run(node, preset); });
        }
    });
}
