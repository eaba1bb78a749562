#pragma once

#include "FakeTerminalBackEnd.h"
#include "TestNodes.h"
#include "TestSupport.h"
#include "library/ShellStore.h"
#include "run/RunController.h"
#include "run/ShellRunner.h"
#include "settings/Preferences.h"

#include <memory>

// A private home with a store over it and a run controller whose runs reach
// a fake terminal that answers after a short delay.
struct WindowTestRig
{
    TestHome home;
    std::unique_ptr<Preferences> preferences =
        std::make_unique<Preferences>(home.preferencesFile());
    std::unique_ptr<ShellStore> store =
        std::make_unique<ShellStore>(*preferences, home.locations());
    FakeTerminalBackEnd *terminal = nullptr;
    std::unique_ptr<ShellRunner> runner;
    std::unique_ptr<RunController> runs;

    explicit WindowTestRig(int terminalDelayMs = 30)
    {
        store->setLineSink([](const QString &) {});
        auto backEnd = std::make_unique<FakeTerminalBackEnd>(
            [](const HandOverText &text) {
                QString chunk = u'[' + text.fileName + QStringLiteral("]\n");
                // A script named "long…" reports more than a screenful.
                if (text.fileName.startsWith(QStringLiteral("long")))
                    for (int i = 0; i < 100; ++i)
                        chunk += QStringLiteral("line %1\n").arg(i);
                return chunk;
            },
            terminalDelayMs);
        terminal = backEnd.get();
        runner = std::make_unique<ShellRunner>(std::move(backEnd), preferences.get());
        runs = std::make_unique<RunController>(nullptr, runner.get());
    }

    static ShellNode folder(const QString &name, QList<ShellNode> children = {})
    {
        return TestNodes::folder(name, children.isEmpty() ? std::nullopt
                                                          : std::optional(std::move(children)));
    }

    static ShellNode script(const QString &name, std::optional<QStringList> args = std::nullopt)
    {
        return TestNodes::script(name,
                                 QStringLiteral("/opt/my scripts/") + name + QStringLiteral(".sh"),
                                 std::move(args));
    }
};
