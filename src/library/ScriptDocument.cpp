#include "library/ScriptDocument.h"

#include "library/DocumentWriter.h"
#include "library/json/JsonBuffer.h"
#include "library/json/JsonCursor.h"

#include <QDateTime>

#include <cstring>

namespace {

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
    return DocumentWriter::write(document);
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
