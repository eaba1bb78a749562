// Saves one document over and over until it is killed: each save names the
// first node "gen N" and reports "done N" once the save has returned.
// Arguments: the root of the locations, the number of saves.
#include "library/ShellStore.h"
#include "platform/Locations.h"
#include "settings/Preferences.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3)
        return 2;
    const QString root = arguments.at(1);
    Preferences preferences(root + QStringLiteral("/writer.ini"));
    ShellStore store(preferences, Locations::under(root));
    store.setLineSink([](const QString &) {});
    if (store.roots().isEmpty())
        return 3;
    const QUuid marker = store.roots().first().id;
    int generation = store.roots().first().name.section(u' ', 1).toInt();
    for (int saves = arguments.at(2).toInt(); saves > 0; --saves) {
        store.rename(marker, QStringLiteral("gen %1").arg(++generation));
        if (store.lastSaveError())
            return 4;
        std::printf("done %d\n", generation);
        std::fflush(stdout);
    }
    return 0;
}
