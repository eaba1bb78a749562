#include "dragdrop/NodeDrag.h"

#include "library/ShellNode.h"

#include <QMimeData>

namespace NodeDrag {

QStringList plainTextTypes()
{
    return {QStringLiteral("text/plain"), QStringLiteral("text/plain;charset=utf-8")};
}

QString text(const QUuid &id)
{
    return prefix + uuidText(id);
}

std::optional<QUuid> idFromText(QStringView text)
{
    if (!text.startsWith(prefix))
        return std::nullopt;
    const QStringView rest = text.mid(prefix.size());
    // Only the bare 36-character form, as the drag source writes it.
    if (rest.size() != 36 || rest.startsWith(u'{'))
        return std::nullopt;
    const QUuid id = QUuid::fromString(rest);
    if (id.isNull() && rest != QStringLiteral("00000000-0000-0000-0000-000000000000"))
        return std::nullopt;
    return id;
}

std::unique_ptr<QMimeData> mimeData(const QUuid &id)
{
    auto data = std::make_unique<QMimeData>();
    data->setText(text(id));
    return data;
}

std::optional<QString> draggedNodeString(const QMimeData &data)
{
    for (const QString &type : plainTextTypes()) {
        if (!data.hasFormat(type))
            continue;
        const QString candidate = QString::fromUtf8(data.data(type));
        if (candidate.startsWith(prefix))
            return candidate;
    }
    return std::nullopt;
}

std::optional<QUuid> draggedNodeID(const QMimeData &data)
{
    const std::optional<QString> found = draggedNodeString(data);
    return found ? idFromText(*found) : std::nullopt;
}

} // namespace NodeDrag
