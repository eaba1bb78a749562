#pragma once

#include <QString>
#include <QUuid>

// One line of the preset editor. The id tells two lines with the same text
// apart on screen; it is never stored.
struct ArgRow
{
    QUuid id;
    QString text;

    bool operator==(const ArgRow &other) const = default;
};
