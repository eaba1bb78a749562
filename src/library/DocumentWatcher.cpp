#include "library/DocumentWatcher.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

DocumentWatcher::DocumentWatcher(QObject *parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    // Editors and sync clients write in steps: read once they are done.
    m_settle->setInterval(50);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_settle, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_settle,
            qOverload<>(&QTimer::start));
    connect(m_settle, &QTimer::timeout, this, &DocumentWatcher::changed);
}

// The folder too: a program that replaces the file (write a copy, rename it
// over) ends the watch on the file itself.
void DocumentWatcher::watch(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    QStringList stale;
    for (const QString &watched : m_watcher->files() + m_watcher->directories())
        if (watched != path && watched != folder)
            stale.append(watched);
    if (!stale.isEmpty())
        m_watcher->removePaths(stale);
    if (!m_watcher->directories().contains(folder) && QFileInfo(folder).isDir())
        m_watcher->addPath(folder);
    if (!m_watcher->files().contains(path) && QFileInfo(path).isFile())
        m_watcher->addPath(path);
}
