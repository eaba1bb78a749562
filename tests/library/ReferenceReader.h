#pragma once

// The first reader of script documents, built on QJsonDocument. The library
// now parses in one pass for speed; tests hold both to the same verdicts.

#include "library/ScriptDocument.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <cmath>

namespace reference {

class ReferenceReader
{
public:
    explicit ReferenceReader(double now) : m_now(now) {}

    QString error;

    bool nodes(const QJsonArray &array, const QString &where, QList<ShellNode> &out)
    {
        out.reserve(array.size());
        for (qsizetype i = 0; i < array.size(); ++i) {
            const QString here = where + u'[' + QString::number(i) + u']';
            const QJsonValue value = array.at(i);
            if (!value.isObject())
                return fail(here, QStringLiteral("is not an object"));
            ShellNode node;
            if (!read(value.toObject(), here, node))
                return false;
            out.append(std::move(node));
        }
        return true;
    }

private:
    double m_now;

    bool fail(const QString &where, const QString &what)
    {
        error = where + u' ' + what;
        return false;
    }

    bool requiredString(const QJsonObject &object, QLatin1StringView key, const QString &where,
                        QString &out)
    {
        const QJsonValue value = object.value(key);
        if (value.isUndefined())
            return fail(where, QStringLiteral("has no \"%1\"").arg(key));
        if (!value.isString())
            return fail(where, QStringLiteral("\"%1\" is not a string").arg(key));
        out = value.toString();
        return true;
    }

    bool read(const QJsonObject &object, const QString &where, ShellNode &node)
    {
        QString id;
        if (!requiredString(object, QLatin1StringView("id"), where, id))
            return false;
        if (!ScriptDocument::isUuidText(id))
            return fail(where, QStringLiteral("\"id\" is not a UUID: ") + id);
        node.id = QUuid::fromString(id);

        if (!requiredString(object, QLatin1StringView("name"), where, node.name))
            return false;

        QString kind;
        if (!requiredString(object, QLatin1StringView("kind"), where, kind))
            return false;
        if (kind == u"folder")
            node.kind = NodeKind::folder;
        else if (kind == u"script")
            node.kind = NodeKind::script;
        else
            return fail(where, QStringLiteral("has an unknown \"kind\": ") + kind);

        const QJsonValue filePath = object.value(QLatin1StringView("filePath"));
        if (filePath.isString())
            node.filePath = filePath.toString();
        else if (!filePath.isUndefined() && !filePath.isNull())
            return fail(where, QStringLiteral("\"filePath\" is not a string"));

        const QJsonValue createdAt = object.value(QLatin1StringView("createdAt"));
        if (createdAt.isDouble()) {
            node.createdAt = createdAt.toDouble();
            if (!std::isfinite(node.createdAt))
                return fail(where, QStringLiteral("\"createdAt\" is out of range"));
        } else if (createdAt.isUndefined() || createdAt.isNull()) {
            node.createdAt = m_now;
        } else {
            return fail(where, QStringLiteral("\"createdAt\" is not a number"));
        }

        node.args = lenientArgs(object.value(QLatin1StringView("args")));

        const QJsonValue children = object.value(QLatin1StringView("children"));
        if (children.isArray()) {
            QList<ShellNode> list;
            if (!nodes(children.toArray(), where + QStringLiteral(".children"), list))
                return false;
            node.children = std::move(list);
        } else if (!children.isUndefined() && !children.isNull()) {
            return fail(where, QStringLiteral("\"children\" is not an array"));
        }
        return true;
    }

    // Presets never reject a document.
    static std::optional<QStringList> lenientArgs(const QJsonValue &value)
    {
        if (value.isArray()) {
            const QJsonArray array = value.toArray();
            QStringList list;
            list.reserve(array.size());
            for (const QJsonValue &entry : array) {
                if (!entry.isString())
                    return std::nullopt;
                list.append(entry.toString());
            }
            if (list.isEmpty())
                return std::nullopt;
            return list;
        }
        if (value.isString() && !value.toString().isEmpty())
            return QStringList{value.toString()};
        return std::nullopt;
    }
};

inline ScriptDocument::Decoded referenceDecode(const QByteArray &bytes, double now)
{
    ScriptDocument::Decoded result;
    QByteArray text = bytes;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(text, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        result.error = QStringLiteral("not valid JSON at offset %1: %2")
                           .arg(parseError.offset)
                           .arg(parseError.errorString());
        return result;
    }
    if (!json.isObject()) {
        result.error = QStringLiteral("the document is not a JSON object");
        return result;
    }
    const QJsonObject top = json.object();
    const QJsonValue isPublished = top.value(QLatin1StringView("isPublished"));
    const QJsonValue roots = top.value(QLatin1StringView("roots"));
    if (isPublished.isUndefined()) {
        result.error = QStringLiteral("the document has no \"isPublished\"");
        return result;
    }
    if (!isPublished.isBool()) {
        result.error = QStringLiteral("\"isPublished\" is not true or false");
        return result;
    }
    if (roots.isUndefined()) {
        result.error = QStringLiteral("the document has no \"roots\"");
        return result;
    }
    if (!roots.isArray()) {
        result.error = QStringLiteral("\"roots\" is not an array");
        return result;
    }
    ReferenceReader reader(now);
    Persisted persisted;
    persisted.isPublished = isPublished.toBool();
    if (!reader.nodes(roots.toArray(), QStringLiteral("roots"), persisted.roots)) {
        result.error = reader.error;
        return result;
    }
    result.persisted = std::move(persisted);
    return result;
}

} // namespace reference
