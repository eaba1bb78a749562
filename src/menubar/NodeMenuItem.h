#pragma once

#include "library/ShellNode.h"

#include <QString>

#include <functional>
#include <optional>

class QMenu;
class ShellStore;
class RunController;

// Starts a run of a script node, with an optional preset text.
using MenuRunner = std::function<void(const ShellNode &node, std::optional<QString> arg)>;

// One menu element built from one tree node: a folder becomes a submenu, a
// script an entry, a script with presets a submenu of presets.
class NodeMenuItem
{
public:
    NodeMenuItem(ShellNode node, ShellStore &store, RunController &runController);

    // Appends this node (and, for a folder, its whole subtree) to menu.
    // A submenu's entries are added when it is first about to show.
    void addTo(QMenu *menu, const MenuRunner &run) const;

    const ShellNode &node() const { return m_node; }

private:
    ShellNode m_node;
    ShellStore &m_store;
    RunController &m_runController;
};
