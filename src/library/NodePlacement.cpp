#include "library/NodePlacement.h"

#include "library/ShellNode.h"

QString NodePlacement::debugDesc() const
{
    switch (kind) {
    case Kind::folder:
        return QStringLiteral("folder(") + shortID(id) + u')';
    case Kind::before:
        return QStringLiteral("before(") + shortID(id) + QStringLiteral(", parent=") +
               (parent ? shortID(*parent) : QStringLiteral("root")) + u')';
    case Kind::root:
        break;
    }
    return QStringLiteral("root");
}
