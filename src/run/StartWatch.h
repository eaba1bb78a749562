#pragma once

#include <QObject>
#include <QString>

#include <functional>

// Tells once when a file appears, from its folder's changes (no polling): the
// marker a terminal's command creates as it starts.
class StartWatch : public QObject
{
public:
    StartWatch(QString marker, QObject *parent, std::function<void()> onSeen);

    bool seen() const;

private:
    void look();

    QString m_marker;
    std::function<void()> m_onSeen;
};
