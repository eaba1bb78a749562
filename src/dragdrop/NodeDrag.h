#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <memory>
#include <optional>

class QMimeData;

// The text an internal node drag carries: "shellnode:" and the node's id.
namespace NodeDrag {

inline constexpr QLatin1StringView prefix{"shellnode:"};

// The plain-text formats searched for a node text, in this order.
QStringList plainTextTypes();

// "shellnode:" + the id in upper-case canonical form.
QString text(const QUuid &id);
// The id of a node text; the id may be in either letter case.
std::optional<QUuid> idFromText(QStringView text);

// Drag data for a node: the node text as plain text.
std::unique_ptr<QMimeData> mimeData(const QUuid &id);
// The first plain text that starts with the prefix, prefix included.
std::optional<QString> draggedNodeString(const QMimeData &data);
std::optional<QUuid> draggedNodeID(const QMimeData &data);

} // namespace NodeDrag
