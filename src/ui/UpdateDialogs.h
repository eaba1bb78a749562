#pragma once

#include "update/UpdateUserInterface.h"

// Small non-modal message boxes.
class DialogUpdateUserInterface : public UpdateUserInterface
{
public:
    void showUpToDate(const QString &currentVersion) override;
    void showUpdateAvailable(const AppcastItem &item, const QString &currentVersion) override;
    void showCheckFailed(const QString &reason) override;
    void showNotConfigured() override;
};
