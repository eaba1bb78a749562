#pragma once

#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QTimer;

// Tells when the document may have been changed by another program: after
// a file or folder notification, once the writer has paused.
class DocumentWatcher : public QObject
{
    Q_OBJECT
public:
    explicit DocumentWatcher(QObject *parent = nullptr);

    // Watches this document (and its folder) instead of any earlier one;
    // also re-arms the watch on a file that was replaced.
    void watch(const QString &path);

Q_SIGNALS:
    void changed();

private:
    QFileSystemWatcher *m_watcher;
    QTimer *m_settle;
};
