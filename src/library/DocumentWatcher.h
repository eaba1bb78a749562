#pragma once

#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QTimer;

// Tells when the document may have been changed by another program: after
// a file or folder notification, once the writer has paused. Nothing runs
// between notifications.
class DocumentWatcher : public QObject
{
    Q_OBJECT
public:
    explicit DocumentWatcher(QObject *parent = nullptr);

    // Watches this document (and its folder) instead of any earlier one;
    // also re-arms the watch on a file that was replaced, and on a folder
    // that was deleted, through the nearest folder above it that exists.
    void watch(const QString &path);
    // changed() once more after a longer pause, for a version that looked
    // half written.
    void recheckLater();

Q_SIGNALS:
    void changed();

private:
    QFileSystemWatcher *m_watcher;
    QTimer *m_settle;
};
