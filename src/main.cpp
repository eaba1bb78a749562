#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

#include "app/CommandExecutor.h"
#include "app/CommandLine.h"
#include "app/LanguageManager.h"
#include "app/Launcher.h"
#include "app/SingleInstance.h"
#include "library/ShellStore.h"
#include "platform/Locations.h"
#include "run/RunController.h"
#include "settings/Preferences.h"

namespace {
QIcon placeholderIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 3));
    painter.drawRoundedRect(QRectF(3, 5, 26, 22), 4, 4);
    painter.drawLine(QPointF(9, 12), QPointF(14, 16));
    painter.drawLine(QPointF(14, 16), QPointF(9, 20));
    painter.drawLine(QPointF(17, 21), QPointF(23, 21));
    return QIcon(pixmap);
}

int startApp(int argc, char *argv[], const Command &command, const QStringList &arguments)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orlenta"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orlenta"));
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(SingleInstance::defaultFolder());
    if (const std::optional<int> status =
            Launcher::joinOrBecomeInstance(arguments, instance, Launcher::processStreams()))
        return *status;

    ShellStore store(Preferences::standard(), Locations::system());
    RunController runs;
    CommandExecutor executor(store, runs);
    if (instance.server())
        Launcher::serve(*instance.server(), executor);

    QMenu menu;
    QAction *quit = menu.addAction(LanguageManager::localized(QStringLiteral("退出")));
    QObject::connect(quit, &QAction::triggered, &app, &QApplication::quit);

    QSystemTrayIcon tray(placeholderIcon());
    tray.setToolTip(QStringLiteral("Orlenta"));
    tray.setContextMenu(&menu);
    tray.show();
    if (command.verb != Command::Verb::start)
        executor.execute(command, QDir::currentPath(), nullptr, {});
    return app.exec();
}
} // namespace

int main(int argc, char *argv[])
{
    const QStringList arguments = CommandLine::arguments(argc, argv);
    const ParsedCommandLine parsed = CommandLine::parse(arguments);
    const Launcher::Streams streams = Launcher::processStreams();
    if (!parsed.command) {
        streams.standardError(QStringLiteral("orlenta: %1\n").arg(parsed.error));
        return 2;
    }
    const Command &command = *parsed.command;
    if (command.verb == Command::Verb::help) {
        streams.standardOutput(command.text);
        return 0;
    }
    if (CommandLine::needsWindows(command))
        return startApp(argc, argv, command, arguments);

    // Commands need no display: they work over ssh and from a hotkey alike.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orlenta"));
    SingleInstance instance(SingleInstance::defaultFolder());
    return Launcher::runCommand(
        arguments, instance, [&] { return Launcher::carryOutInProcess(command, streams); },
        streams);
}
