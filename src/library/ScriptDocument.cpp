#include "library/ScriptDocument.h"

#include "library/json/JsonBuffer.h"
#include "library/json/JsonCursor.h"

#include <QDateTime>

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

constexpr char upperHexDigits[] = "0123456789ABCDEF";

class Writer
{
public:
    JsonBuffer out{QByteArray(), 1 << 16};
    bool failed = false;

    void indent(int level) { out.spaces(qsizetype(level) * 2); }

    template <qsizetype N> void key(int level, const char (&name)[N])
    {
        indent(level);
        out.put('"');
        out.put(name);
        out.put("\" : ");
    }

    void stringArray(int level, const QStringList &list)
    {
        out.put('[');
        if (list.isEmpty()) {
            emptyTail(level);
            return;
        }
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (i == 0)
                out.put('\n');
            else
                out.put(",\n");
            indent(level + 1);
            out.string(list.at(i));
        }
        out.put('\n');
        indent(level);
        out.put(']');
    }

    void nodeArray(int level, const QList<ShellNode> &list)
    {
        out.put('[');
        if (list.isEmpty()) {
            emptyTail(level);
            return;
        }
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (i == 0)
                out.put('\n');
            else
                out.put(",\n");
            node(level + 1, list.at(i));
        }
        out.put('\n');
        indent(level);
        out.put(']');
    }

    // Keys in ascending order: args, children, createdAt, filePath, id, kind, name.
    void node(int level, const ShellNode &node)
    {
        indent(level);
        out.put("{\n");
        const int inner = level + 1;
        if (node.args) {
            key(inner, "args");
            stringArray(inner, *node.args);
            out.put(",\n");
        }
        if (node.children) {
            key(inner, "children");
            nodeArray(inner, *node.children);
            out.put(",\n");
        }
        key(inner, "createdAt");
        if (!std::isfinite(node.createdAt))
            failed = true;
        out.number(node.createdAt);
        out.put(",\n");
        if (node.filePath) {
            key(inner, "filePath");
            out.string(*node.filePath);
            out.put(",\n");
        }
        key(inner, "id");
        appendUuid(node.id);
        out.put(",\n");
        key(inner, "kind");
        if (node.kind == NodeKind::folder)
            out.put("\"folder\"");
        else
            out.put("\"script\"");
        out.put(",\n");
        key(inner, "name");
        out.string(node.name);
        out.put('\n');
        indent(level);
        out.put('}');
    }

private:
    void appendUuid(const QUuid &id)
    {
        char text[38];
        char *p = text;
        *p++ = '"';
        const auto hex = [&p](quint64 value, int digits) {
            for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
                *p++ = upperHexDigits[(value >> shift) & 0xF];
        };
        hex(id.data1, 8);
        *p++ = '-';
        hex(id.data2, 4);
        *p++ = '-';
        hex(id.data3, 4);
        *p++ = '-';
        hex(quint64(id.data4[0]) << 8 | id.data4[1], 4);
        *p++ = '-';
        for (int i = 2; i < 8; ++i)
            hex(id.data4[i], 2);
        *p++ = '"';
        out.put(text, p - text);
    }

    // An empty array keeps an empty line inside it.
    void emptyTail(int level)
    {
        out.put("\n\n");
        indent(level);
        out.put(']');
    }
};

// The document read in one pass straight into nodes.
class Parser : public JsonCursor
{
public:
    Parser(const QByteArray &bytes, double now) : JsonCursor(bytes), m_now(now) {}

    bool document(Persisted &out)
    {
        space();
        if (m_p == m_end)
            return syntax("the document is empty");
        if (*m_p != '{') {
            if (!skipValue())
                return false;
            space();
            if (m_p != m_end)
                return syntax("text after the document");
            return fail(QStringLiteral("the document is not a JSON object"));
        }
        ++m_p;
        bool hasPublished = false;
        bool hasRoots = false;
        if (!members([&](const QString &name) {
                const Key key = keyOf(name);
                switch (key) {
                case Key::isPublished:
                    if (literal("true"))
                        out.isPublished = true;
                    else if (literal("false"))
                        out.isPublished = false;
                    else
                        return fail(QStringLiteral("\"isPublished\" is not true or false"));
                    hasPublished = true;
                    return true;
                case Key::roots:
                    if (m_p == m_end || *m_p != '[')
                        return fail(QStringLiteral("\"roots\" is not an array"));
                    out.roots.clear();
                    hasRoots = true;
                    return nodes(out.roots);
                default:
                    return skipValue();
                }
            }))
            return false;
        space();
        if (m_p != m_end)
            return syntax("text after the document");
        if (!hasPublished)
            return fail(QStringLiteral("the document has no \"isPublished\""));
        if (!hasRoots)
            return fail(QStringLiteral("the document has no \"roots\""));
        return true;
    }

private:
    enum class Key {
        other,
        args,
        children,
        createdAt,
        filePath,
        id,
        kind,
        name,
        isPublished,
        roots
    };
    double m_now;
    QList<qsizetype> m_path; // indices of the nodes being read, for error texts

    bool nodeFail(const QString &what)
    {
        QString where = QStringLiteral("roots");
        for (qsizetype i = 0; i < m_path.size(); ++i) {
            if (i > 0)
                where += QStringLiteral(".children");
            where += u'[' + QString::number(m_path.at(i)) + u']';
        }
        return fail(where + u' ' + what);
    }

    static Key keyOf(const QString &key)
    {
        switch (key.size()) {
        case 2:
            return key == u"id" ? Key::id : Key::other;
        case 4:
            return key == u"args"   ? Key::args
                   : key == u"kind" ? Key::kind
                   : key == u"name" ? Key::name
                                    : Key::other;
        case 5:
            return key == u"roots" ? Key::roots : Key::other;
        case 8:
            return key == u"children"   ? Key::children
                   : key == u"filePath" ? Key::filePath
                                        : Key::other;
        case 9:
            return key == u"createdAt" ? Key::createdAt : Key::other;
        case 11:
            return key == u"isPublished" ? Key::isPublished : Key::other;
        default:
            return Key::other;
        }
    }

    // At the opening bracket of a list of nodes.
    bool nodes(QList<ShellNode> &out)
    {
        ++m_p;
        if (!enter())
            return false;
        const bool ok = elements([&](qsizetype index) {
            m_path.append(index);
            if (m_p == m_end || *m_p != '{')
                return nodeFail(QStringLiteral("is not an object"));
            out.append(ShellNode());
            if (!node(out.last()))
                return false;
            m_path.removeLast();
            return true;
        });
        --m_depth;
        return ok;
    }

    bool requiredString(QLatin1StringView name, QString &out)
    {
        if (*m_p != '"')
            return nodeFail(QStringLiteral("\"%1\" is not a string").arg(name));
        return string(out);
    }

    // Presets never reject a document, but what they hold must still be JSON.
    bool args(std::optional<QStringList> &out)
    {
        out.reset();
        if (*m_p == '"') {
            QString text;
            if (!string(text))
                return false;
            if (!text.isEmpty())
                out = QStringList{text};
            return true;
        }
        if (*m_p != '[')
            return skipValue();
        ++m_p;
        if (!enter())
            return false;
        QStringList list;
        bool allStrings = true;
        const bool ok = elements([&](qsizetype) {
            if (m_p != m_end && *m_p == '"') {
                list.append(QString());
                return string(list.last());
            }
            allStrings = false;
            return skipValue();
        });
        --m_depth;
        if (ok && allStrings && !list.isEmpty())
            out = std::move(list);
        return ok;
    }

    // At the opening brace of a node.
    bool node(ShellNode &node)
    {
        ++m_p;
        if (!enter())
            return false;
        QString id;
        QString kind;
        bool hasID = false;
        bool hasName = false;
        bool hasKind = false;
        bool hasCreatedAt = false;
        const bool ok = members([&](const QString &name) {
            const Key key = keyOf(name);
            switch (key) {
            case Key::id:
                hasID = true;
                return requiredString(QLatin1StringView("id"), id);
            case Key::name:
                hasName = true;
                return requiredString(QLatin1StringView("name"), node.name);
            case Key::kind:
                hasKind = true;
                return requiredString(QLatin1StringView("kind"), kind);
            case Key::filePath:
                if (literal("null")) {
                    node.filePath.reset();
                    return true;
                }
                if (*m_p != '"')
                    return nodeFail(QStringLiteral("\"filePath\" is not a string"));
                node.filePath.emplace();
                return string(*node.filePath);
            case Key::createdAt:
                if (literal("null")) {
                    hasCreatedAt = false;
                    return true;
                }
                if (std::strchr("\"{[tf", *m_p))
                    return nodeFail(QStringLiteral("\"createdAt\" is not a number"));
                if (!number(&node.createdAt))
                    return false;
                hasCreatedAt = true;
                return true;
            case Key::args:
                return args(node.args);
            case Key::children:
                if (literal("null")) {
                    node.children.reset();
                    return true;
                }
                if (*m_p != '[')
                    return nodeFail(QStringLiteral("\"children\" is not an array"));
                node.children.emplace();
                return nodes(*node.children);
            default:
                return skipValue();
            }
        });
        if (!ok)
            return false;
        --m_depth;
        if (!hasID)
            return nodeFail(QStringLiteral("has no \"id\""));
        if (!ScriptDocument::isUuidText(id))
            return nodeFail(QStringLiteral("\"id\" is not a UUID: ") + id);
        node.id = QUuid::fromString(id);
        if (!hasName)
            return nodeFail(QStringLiteral("has no \"name\""));
        if (!hasKind)
            return nodeFail(QStringLiteral("has no \"kind\""));
        if (kind == u"folder")
            node.kind = NodeKind::folder;
        else if (kind == u"script")
            node.kind = NodeKind::script;
        else
            return nodeFail(QStringLiteral("has an unknown \"kind\": ") + kind);
        if (!hasCreatedAt)
            node.createdAt = m_now;
        return true;
    }
};

} // namespace

char *ScriptDocument::writeNumber(char *out, double value)
{
    return JsonBuffer::writeNumber(out, value);
}

QByteArray ScriptDocument::numberText(double value)
{
    char buffer[64];
    return QByteArray(buffer, writeNumber(buffer, value) - buffer);
}

void ScriptDocument::appendString(QByteArray &out, const QString &text)
{
    JsonBuffer buffer(std::move(out));
    buffer.string(text);
    out = buffer.take();
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
    writer.out.put("{\n");
    writer.key(1, "isPublished");
    if (document.isPublished)
        writer.out.put("true");
    else
        writer.out.put("false");
    writer.out.put(",\n");
    writer.key(1, "roots");
    writer.nodeArray(1, document.roots);
    writer.out.put("\n}");
    if (writer.failed)
        return QByteArray();
    return writer.out.take();
}

ScriptDocument::Decoded ScriptDocument::decode(const QByteArray &bytes, double now)
{
    Decoded result;
    Parser parser(bytes, now);
    Persisted persisted;
    if (parser.document(persisted))
        result.persisted = std::move(persisted);
    else
        result.error = parser.error;
    return result;
}

ScriptDocument::Decoded ScriptDocument::decode(const QByteArray &bytes)
{
    return decode(bytes, referenceTimestamp(QDateTime::currentDateTimeUtc()));
}
