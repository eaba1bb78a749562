#pragma once

#include "library/ShellNode.h"

#include <QPoint>

#include <functional>
#include <memory>

class MenuActionHelper;
class QMenu;
class QWidget;

// The run glyph of one script row with its menu of presets. Rows are painted,
// not widgets: the sidebar makes an entry when the glyph is pressed and keeps
// it until the next one, so the menu's helper outlives the menu.
class ScriptRunEntry
{
public:
    ScriptRunEntry(ShellNode node, bool isSelected, std::function<void(const QString &)> onRun);
    ~ScriptRunEntry();

    const ShellNode &node() const { return m_node; }
    bool isSelected() const { return m_isSelected; }

    // Pops the presets up at a screen point; the menu deletes itself when it
    // closes. Returns it, or null when the script has no presets.
    QMenu *popUpMenu(QWidget *parent, const QPoint &globalPos);

private:
    ShellNode m_node;
    bool m_isSelected;
    std::function<void(const QString &)> m_onRun;
    std::unique_ptr<MenuActionHelper> m_helper;
};
