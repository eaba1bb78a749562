#pragma once

#include <QString>

// Posts desktop notifications. A notification with the same identifier as
// an earlier one replaces it.
class Notifier
{
public:
    virtual ~Notifier() = default;
    virtual void post(const QString &identifier, const QString &title, const QString &body) = 0;
};
