#pragma once

#include "library/ShellNode.h"

#include <QPushButton>

#include <optional>

class RunController;
class ShellStore;

// The detail header's run control: "运行全部" for a folder, "运行" for a
// script, a menu of the script's presets when it has some. Disabled while a
// run is going on.
class RunButton : public QPushButton
{
    Q_OBJECT
public:
    RunButton(ShellStore &store, RunController &runController, QWidget *parent = nullptr);

    void showNode(const ShellNode &node);
    // What Return does: opens the presets, or runs.
    void runFromKeyboard();

private:
    void run(std::optional<QString> preset);

    ShellStore &m_store;
    RunController &m_runController;
    std::optional<ShellNode> m_node;
    QStringList m_menuPresets;
};
