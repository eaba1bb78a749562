#include "library/ScriptDocument.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <charconv>
#include <cmath>

namespace {

constexpr char hexDigits[] = "0123456789abcdef";

class Writer
{
public:
    QByteArray out;
    bool failed = false;

    void indent(int level) { out.append(QByteArray(level * 2, ' ')); }

    void key(int level, const char *name)
    {
        indent(level);
        out.append('"').append(name).append("\" : ");
    }

    void stringArray(int level, const QStringList &list)
    {
        out.append('[');
        if (list.isEmpty()) {
            emptyTail(level);
            return;
        }
        for (qsizetype i = 0; i < list.size(); ++i) {
            out.append(i == 0 ? "\n" : ",\n");
            indent(level + 1);
            ScriptDocument::appendString(out, list.at(i));
        }
        out.append('\n');
        indent(level);
        out.append(']');
    }

    void nodeArray(int level, const QList<ShellNode> &list)
    {
        out.append('[');
        if (list.isEmpty()) {
            emptyTail(level);
            return;
        }
        for (qsizetype i = 0; i < list.size(); ++i) {
            out.append(i == 0 ? "\n" : ",\n");
            node(level + 1, list.at(i));
        }
        out.append('\n');
        indent(level);
        out.append(']');
    }

    // Keys in ascending order: args, children, createdAt, filePath, id, kind, name.
    void node(int level, const ShellNode &node)
    {
        indent(level);
        out.append("{\n");
        const int inner = level + 1;
        if (node.args) {
            key(inner, "args");
            stringArray(inner, *node.args);
            out.append(",\n");
        }
        if (node.children) {
            key(inner, "children");
            nodeArray(inner, *node.children);
            out.append(",\n");
        }
        key(inner, "createdAt");
        if (!std::isfinite(node.createdAt))
            failed = true;
        out.append(ScriptDocument::numberText(node.createdAt));
        out.append(",\n");
        if (node.filePath) {
            key(inner, "filePath");
            ScriptDocument::appendString(out, *node.filePath);
            out.append(",\n");
        }
        key(inner, "id");
        out.append('"').append(node.id.toByteArray(QUuid::WithoutBraces).toUpper()).append('"');
        out.append(",\n");
        key(inner, "kind");
        out.append(node.kind == NodeKind::folder ? "\"folder\"" : "\"script\"");
        out.append(",\n");
        key(inner, "name");
        ScriptDocument::appendString(out, node.name);
        out.append('\n');
        indent(level);
        out.append('}');
    }

private:
    // An empty array keeps an empty line inside it.
    void emptyTail(int level)
    {
        out.append("\n\n");
        indent(level);
        out.append(']');
    }
};

class Reader
{
public:
    explicit Reader(double now) : m_now(now) {}

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

} // namespace

QByteArray ScriptDocument::numberText(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QByteArray(buffer, result.ptr - buffer);
}

void ScriptDocument::appendString(QByteArray &out, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    out.reserve(out.size() + utf8.size() + 2);
    out.append('"');
    // Multi-byte UTF-8 sequences never contain bytes below 0x80, so escaping
    // byte by byte is safe.
    for (const char c : utf8) {
        switch (c) {
        case '"':
            out.append("\\\"");
            break;
        case '\\':
            out.append("\\\\");
            break;
        case '/':
            out.append("\\/");
            break;
        case '\b':
            out.append("\\b");
            break;
        case '\f':
            out.append("\\f");
            break;
        case '\n':
            out.append("\\n");
            break;
        case '\r':
            out.append("\\r");
            break;
        case '\t':
            out.append("\\t");
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                out.append("\\u00");
                out.append(hexDigits[(c >> 4) & 0xF]);
                out.append(hexDigits[c & 0xF]);
            } else {
                out.append(c);
            }
        }
    }
    out.append('"');
}

bool ScriptDocument::isUuidText(QStringView text)
{
    if (text.size() != 36)
        return false;
    for (qsizetype i = 0; i < 36; ++i) {
        const QChar c = text.at(i);
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != u'-')
                return false;
        } else {
            const char16_t u = c.unicode();
            const bool hex =
                (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
            if (!hex)
                return false;
        }
    }
    return true;
}

QByteArray ScriptDocument::encode(const Persisted &document)
{
    Writer writer;
    writer.out.reserve(256 + document.roots.size() * 256);
    writer.out.append("{\n");
    writer.key(1, "isPublished");
    writer.out.append(document.isPublished ? "true" : "false");
    writer.out.append(",\n");
    writer.key(1, "roots");
    writer.nodeArray(1, document.roots);
    writer.out.append("\n}");
    if (writer.failed)
        return QByteArray();
    return writer.out;
}

ScriptDocument::Decoded ScriptDocument::decode(const QByteArray &bytes, double now)
{
    Decoded result;
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
    Reader reader(now);
    Persisted persisted;
    persisted.isPublished = isPublished.toBool();
    if (!reader.nodes(roots.toArray(), QStringLiteral("roots"), persisted.roots)) {
        result.error = reader.error;
        return result;
    }
    result.persisted = std::move(persisted);
    return result;
}

ScriptDocument::Decoded ScriptDocument::decode(const QByteArray &bytes)
{
    return decode(bytes, referenceTimestamp(QDateTime::currentDateTimeUtc()));
}
