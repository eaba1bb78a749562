#include "run/RunController.h"

#include "library/ShellStore.h"

RunController::RunController(QObject *parent) : QObject(parent) {}

RunController::~RunController() = default;

void RunController::run(const ShellNode &node, ShellStore &store, std::optional<QString> arg)
{
    // Placeholder until the terminal hand-over lands.
    Q_UNUSED(node);
    Q_UNUSED(store);
    Q_UNUSED(arg);
}
