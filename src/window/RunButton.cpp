#include "window/RunButton.h"

#include "language/LanguageManager.h"
#include "run/RunController.h"
#include "ui/IconMap.h"
#include "ui/MenuTitle.h"

#include <QMenu>

RunButton::RunButton(ShellStore &store, RunController &runController, QWidget *parent)
    : QPushButton(parent), m_store(store), m_runController(runController)
{
    setObjectName(QStringLiteral("runButton"));
    setAutoDefault(false);
    setIcon(IconMap::icon(QStringLiteral("play.fill")));
    connect(this, &QPushButton::clicked, this, [this] {
        if (!menu())
            run(std::nullopt);
    });
    const auto follow = [this] { setEnabled(!m_runController.isRunning()); };
    connect(&m_runController, &RunController::isRunningChanged, this, follow);
    follow();
}

void RunButton::showNode(const ShellNode &node)
{
    m_node = node;
    const QStringList presets = node.kind == NodeKind::script ? node.argPresets() : QStringList();
    const QString text = node.kind == NodeKind::folder
                             ? LanguageManager::localized(QStringLiteral("运行全部"))
                             : LanguageManager::localized(QStringLiteral("运行"));
    setText(text);
    setAccessibleName(text);
    if (presets == m_menuPresets && (presets.isEmpty() == !menu()))
        return;
    m_menuPresets = presets;
    if (QMenu *old = menu()) {
        setMenu(nullptr);
        old->deleteLater();
    }
    if (presets.isEmpty())
        return;
    auto *presetMenu = new QMenu(this);
    presetMenu->setObjectName(QStringLiteral("runMenu"));
    for (const QString &preset : presets) {
        QAction *action = presetMenu->addAction(IconMap::icon(QStringLiteral("play.fill")),
                                                MenuTitle::verbatim(preset));
        connect(action, &QAction::triggered, this, [this, preset] { run(preset); });
    }
    setMenu(presetMenu);
}

void RunButton::runFromKeyboard()
{
    if (!m_node || !isEnabled())
        return;
    if (menu())
        showMenu();
    else
        run(std::nullopt);
}

void RunButton::run(std::optional<QString> preset)
{
    if (m_node)
        m_runController.run(*m_node, m_store, std::move(preset));
}
