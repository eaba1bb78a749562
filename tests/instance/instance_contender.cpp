// A process that takes part in the election, for the single-instance tests:
// the winner serves until asked to quit, everyone else asks it for a ping.
#include "instance/InstanceClient.h"
#include "instance/InstanceServer.h"
#include "instance/SingleInstance.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 64;
    SingleInstance instance(QString::fromLocal8Bit(argv[1]));
    switch (instance.elect(std::chrono::seconds(10))) {
    case SingleInstance::Role::primary: {
        InstanceServer *server = instance.listen();
        if (!server) {
            std::printf("failed %s\n", qPrintable(instance.errorString()));
            return 3;
        }
        server->setHandler([&app](InstanceRequest *request) {
            request->writeStandardOutput(QStringLiteral("pong %1\n").arg(app.applicationPid()));
            const bool quit = request->arguments().value(0) == QStringLiteral("quit");
            request->finish(0);
            if (quit)
                QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
        });
        std::printf("primary\n");
        std::fflush(stdout);
        return app.exec();
    }
    case SingleInstance::Role::secondary: {
        InstanceClient client(instance.takeConnection());
        QString answer;
        const int status = client.exchange(
            {QStringLiteral("ping")}, QString(), [&](const QString &text) { answer += text; },
            [&](const QString &text) { answer += text; });
        std::printf("secondary %d %s", status, qPrintable(answer));
        return 0;
    }
    case SingleInstance::Role::failed:
        std::printf("failed %s\n", qPrintable(instance.errorString()));
        return 3;
    }
    return 3;
}
