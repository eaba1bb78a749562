#include "library/DocumentWatcher.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace {
// Editors and sync clients write in steps: read once they are done.
constexpr int settleMilliseconds = 50;
constexpr int recheckMilliseconds = 250;
} // namespace

DocumentWatcher::DocumentWatcher(QObject *parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    const auto settle = [this] { m_settle->start(settleMilliseconds); };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, settle);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, settle);
    connect(m_settle, &QTimer::timeout, this, &DocumentWatcher::changed);
}

void DocumentWatcher::recheckLater()
{
    if (!m_settle->isActive())
        m_settle->start(recheckMilliseconds);
}

// The folder too: a program that replaces the file (write a copy, rename it
// over) ends the watch on the file itself.
void DocumentWatcher::watch(const QString &path)
{
    QString folder = QFileInfo(path).absolutePath();
    // A deleted folder takes its watch along: the nearest one above that
    // exists tells when it comes back.
    while (!QFileInfo(folder).isDir() && !QDir(folder).isRoot())
        folder = QFileInfo(folder).absolutePath();
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
