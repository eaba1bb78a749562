#pragma once

#include <QString>
#include <optional>

// Order matters: the name sort puts lower ordinals (folders) first.
enum class NodeKind { folder = 0, script = 1 };

QString toRaw(NodeKind kind);
std::optional<NodeKind> nodeKindFromRaw(const QString &raw);
