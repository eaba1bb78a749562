#include "platform/Locations.h"

#include <QDir>
#include <QStandardPaths>

Locations Locations::system()
{
    Locations l;
    l.home = QDir::homePath();
    l.documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (l.documents.isEmpty())
        l.documents = QDir(l.home).filePath(QStringLiteral("Documents"));
    l.applicationSupport = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    l.cloudDrive =
        QDir(l.home).filePath(QStringLiteral("Library/Mobile Documents/com~apple~CloudDocs"));
    return l;
}

Locations Locations::under(const QString &root)
{
    const QDir dir(root);
    Locations l;
    l.home = dir.filePath(QStringLiteral("home"));
    l.documents = dir.filePath(QStringLiteral("home/Documents"));
    l.applicationSupport = dir.filePath(QStringLiteral("home/.local/share"));
    l.cloudDrive =
        dir.filePath(QStringLiteral("home/Library/Mobile Documents/com~apple~CloudDocs"));
    return l;
}
