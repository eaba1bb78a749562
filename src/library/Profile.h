#pragma once

#include <QString>
#include <QUuid>

// A named script document location.
struct Profile
{
    QUuid id;
    QString name;
    QString path;

    bool operator==(const Profile &other) const = default;

    static const QUuid localProfileID;  // 00000000-0000-0000-0000-00000000000A
    static const QUuid iCloudProfileID; // 00000000-0000-0000-0000-00000000000B
};
