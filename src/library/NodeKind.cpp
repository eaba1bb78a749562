#include "library/NodeKind.h"

QString toRaw(NodeKind kind)
{
    return kind == NodeKind::folder ? QStringLiteral("folder") : QStringLiteral("script");
}

std::optional<NodeKind> nodeKindFromRaw(const QString &raw)
{
    if (raw == u"folder")
        return NodeKind::folder;
    if (raw == u"script")
        return NodeKind::script;
    return std::nullopt;
}
