#include "run/StartWatch.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

StartWatch::StartWatch(QString marker, QObject *parent, std::function<void()> onSeen)
    : QObject(parent), m_marker(std::move(marker)), m_onSeen(std::move(onSeen))
{
    auto *watcher = new QFileSystemWatcher(this);
    watcher->addPath(QFileInfo(m_marker).absolutePath());
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, &StartWatch::look);
    // It may be there already.
    QMetaObject::invokeMethod(this, &StartWatch::look, Qt::QueuedConnection);
}

bool StartWatch::seen() const
{
    return QFileInfo::exists(m_marker);
}

void StartWatch::look()
{
    if (!m_onSeen || !seen())
        return;
    // Once: the call may end this watch.
    std::function<void()> onSeen = std::move(m_onSeen);
    m_onSeen = nullptr;
    onSeen();
}
