#pragma once

#include "update/Appcast.h"

#include <QString>

// What a check shows the user. Tests replace it so nothing blocks on a dialog.
class UpdateUserInterface
{
public:
    virtual ~UpdateUserInterface() = default;
    virtual void showUpToDate(const QString &currentVersion) = 0;
    virtual void showUpdateAvailable(const AppcastItem &item, const QString &currentVersion) = 0;
    virtual void showCheckFailed(const QString &reason) = 0;
    virtual void showNotConfigured() = 0;
};
