#include "window/ScriptRunEntry.h"

#include "ui/IconMap.h"
#include "ui/MenuTitle.h"
#include "window/MenuActionHelper.h"

#include <QMenu>

ScriptRunEntry::ScriptRunEntry(ShellNode node, bool isSelected,
                               std::function<void(const QString &)> onRun)
    : m_node(std::move(node)), m_isSelected(isSelected), m_onRun(std::move(onRun))
{}

ScriptRunEntry::~ScriptRunEntry() = default;

QMenu *ScriptRunEntry::popUpMenu(QWidget *parent, const QPoint &globalPos)
{
    const QStringList presets = m_node.argPresets();
    if (presets.isEmpty())
        return nullptr;
    m_helper = std::make_unique<MenuActionHelper>(m_onRun);
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("runGlyphMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const MenuActionHelper *helper = m_helper.get();
    for (const QString &preset : presets) {
        QAction *action = menu->addAction(IconMap::icon(QStringLiteral("play.fill")),
                                          MenuTitle::verbatim(preset));
        action->setData(preset);
        QObject::connect(action, &QAction::triggered, m_helper.get(),
                         [helper, action] { helper->fire(action); });
    }
    menu->popup(globalPos);
    return menu;
}
