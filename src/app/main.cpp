#include "app/mac_tallowBayApp.h"
#include "cli/CommandLine.h"
#include "instance/InstanceElection.h"
#include "instance/SingleInstance.h"
#include "platform/DisplayPlatform.h"
#include "platform/RuntimeDirectory.h"
#include "settings/Preferences.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    const QStringList arguments = CommandLine::arguments(argc, argv);
    const ParsedCommandLine parsed = CommandLine::parse(arguments);
    const InstanceElection::Streams streams = InstanceElection::processStreams();
    if (!parsed.command) {
        streams.standardError(QStringLiteral("orlenta: %1\n").arg(parsed.error));
        return 2;
    }
    const Command &command = *parsed.command;
    if (command.kind == Command::Kind::help) {
        streams.standardOutput(command.text);
        return 0;
    }
    // Before anything reads it: Qt must not warn about a missing runtime folder.
    // Help needs none (the manual page is made from it while building).
    RuntimeDirectory::ensure();
    if (CommandLine::needsWindows(command)) {
        // Qt would abort (status 134) with no usable platform plugin.
        if (const QString error = DisplayPlatform::apply(); !error.isEmpty()) {
            streams.standardError(QStringLiteral("orlenta: %1\n").arg(error));
            return 1;
        }
        mac_tallowBayApp app(argc, argv, command, arguments);
        if (const std::optional<int> status = app.handedOver())
            return *status;
        return app.exec();
    }

    // Commands need no display: they work over ssh and from a hotkey alike.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orlenta"));
    SingleInstance instance(SingleInstance::userFolder(),
                            SingleInstance::keyFor(Preferences::standard().filePath()));
    return InstanceElection::runCommand(
        arguments, instance, [&] { return InstanceElection::carryOutInProcess(command, streams); },
        streams);
}
