#include "library/ScriptDocument.h"

#include <QDateTime>

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

constexpr char hexDigits[] = "0123456789abcdef";
constexpr char upperHexDigits[] = "0123456789ABCDEF";

// Output written through a cursor into a buffer that grows by doubling:
// appending to a QByteArray piece by piece costs more than all the
// formatting of a large document put together.
class Buffer
{
public:
    explicit Buffer(QByteArray initial = QByteArray(), qsizetype capacity = 0)
        : m_bytes(std::move(initial))
    {
        const qsizetype used = m_bytes.size();
        m_bytes.resize(std::max(used + 64, capacity));
        m_cursor = m_bytes.data() + used;
        m_end = m_bytes.data() + m_bytes.size();
    }

    QByteArray take()
    {
        m_bytes.truncate(m_cursor - m_bytes.data());
        m_cursor = m_end = nullptr;
        return std::move(m_bytes);
    }

    void reserve(qsizetype more)
    {
        if (m_end - m_cursor >= more)
            return;
        const qsizetype used = m_cursor - m_bytes.data();
        m_bytes.resize(std::max(2 * m_bytes.size(), used + more));
        m_cursor = m_bytes.data() + used;
        m_end = m_bytes.data() + m_bytes.size();
    }

    void put(char c)
    {
        reserve(1);
        *m_cursor++ = c;
    }

    void put(const char *text, qsizetype length)
    {
        reserve(length);
        std::memcpy(m_cursor, text, size_t(length));
        m_cursor += length;
    }

    template <qsizetype N> void put(const char (&literal)[N]) { put(literal, N - 1); }

    void spaces(qsizetype count)
    {
        reserve(count);
        std::memset(m_cursor, ' ', size_t(count));
        m_cursor += count;
    }

    void number(double value)
    {
        reserve(64);
        m_cursor = ScriptDocument::writeNumber(m_cursor, value);
    }

    // A JSON string literal: quotes, backslash, solidus and control characters
    // escaped, everything else as UTF-8.
    void string(const QString &text)
    {
        const char16_t *p = reinterpret_cast<const char16_t *>(text.constData());
        const char16_t *const end = p + text.size();
        // Enough for the worst case: six bytes for every escaped character.
        reserve(2 + 6 * (end - p));
        char *out = m_cursor;
        *out++ = '"';
        while (p != end) {
            const char16_t c = *p++;
            if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\' && c != '/') {
                *out++ = char(c);
            } else if (c < 0x80) {
                *out++ = '\\';
                switch (c) {
                case '"':
                case '\\':
                case '/':
                    *out++ = char(c);
                    break;
                case '\b':
                    *out++ = 'b';
                    break;
                case '\f':
                    *out++ = 'f';
                    break;
                case '\n':
                    *out++ = 'n';
                    break;
                case '\r':
                    *out++ = 'r';
                    break;
                case '\t':
                    *out++ = 't';
                    break;
                default:
                    *out++ = 'u';
                    *out++ = '0';
                    *out++ = '0';
                    *out++ = hexDigits[(c >> 4) & 0xF];
                    *out++ = hexDigits[c & 0xF];
                }
            } else if (c < 0x800) {
                *out++ = char(0xC0 | (c >> 6));
                *out++ = char(0x80 | (c & 0x3F));
            } else if (!QChar::isSurrogate(c)) {
                *out++ = char(0xE0 | (c >> 12));
                *out++ = char(0x80 | ((c >> 6) & 0x3F));
                *out++ = char(0x80 | (c & 0x3F));
            } else if (QChar::isHighSurrogate(c) && p != end && QChar::isLowSurrogate(*p)) {
                const char32_t u = QChar::surrogateToUcs4(c, *p++);
                *out++ = char(0xF0 | (u >> 18));
                *out++ = char(0x80 | ((u >> 12) & 0x3F));
                *out++ = char(0x80 | ((u >> 6) & 0x3F));
                *out++ = char(0x80 | (u & 0x3F));
            } else {
                // A lone surrogate: written as Qt's own encoder writes it.
                const QByteArray replaced = QStringView(p - 1, 1).toUtf8();
                std::memcpy(out, replaced.constData(), size_t(replaced.size()));
                out += replaced.size();
            }
        }
        *out++ = '"';
        m_cursor = out;
    }

private:
    QByteArray m_bytes;
    char *m_cursor = nullptr;
    char *m_end = nullptr;
};

class Writer
{
public:
    Buffer out{QByteArray(), 1 << 16};
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

// Strict JSON (RFC 8259) read in one pass straight into nodes; a document
// of 100,000 nodes is some 40 MB, too slow to build as a QJsonDocument first.
class Parser
{
public:
    Parser(const QByteArray &bytes, double now)
        : m_begin(bytes.constData()), m_p(bytes.constData()),
          m_end(bytes.constData() + bytes.size()), m_now(now)
    {
        if (m_end - m_p >= 3 && std::memcmp(m_p, "\xEF\xBB\xBF", 3) == 0)
            m_p += 3;
    }

    QString error;

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
        if (!members([&](Key key) {
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
    static constexpr int maxDepth = 512;

    const char *m_begin;
    const char *m_p;
    const char *m_end;
    double m_now;
    int m_depth = 0;
    QList<qsizetype> m_path; // indices of the nodes being read, for error texts

    bool fail(const QString &what)
    {
        if (error.isEmpty())
            error = what;
        return false;
    }

    bool syntax(const char *what)
    {
        return fail(QStringLiteral("not valid JSON at offset %1: %2")
                        .arg(m_p - m_begin)
                        .arg(QLatin1StringView(what)));
    }

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

    void space()
    {
        while (m_p != m_end && (*m_p == ' ' || *m_p == '\n' || *m_p == '\r' || *m_p == '\t'))
            ++m_p;
    }

    bool literal(const char *word)
    {
        const size_t length = std::strlen(word);
        if (size_t(m_end - m_p) < length || std::memcmp(m_p, word, length) != 0)
            return false;
        m_p += length;
        return true;
    }

    bool enter()
    {
        if (++m_depth > maxDepth)
            return syntax("too deeply nested");
        return true;
    }

    static int hexValue(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    bool hex4(char16_t &out)
    {
        if (m_end - m_p < 4)
            return syntax("bad \\u escape");
        int value = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = hexValue(m_p[i]);
            if (digit < 0)
                return syntax("bad \\u escape");
            value = value * 16 + digit;
        }
        m_p += 4;
        out = char16_t(value);
        return true;
    }

    bool appendRun(QString &out, const char *from, const char *to, bool ascii)
    {
        if (ascii) {
            out.append(QLatin1StringView(from, to - from));
            return true;
        }
        const QByteArrayView run(from, to - from);
        if (!run.isValidUtf8())
            return syntax("invalid UTF-8 in a string");
        out.append(QString::fromUtf8(run));
        return true;
    }

    // At the opening quote.
    bool string(QString &out)
    {
        out.clear();
        const char *run = ++m_p;
        bool ascii = true;
        for (;;) {
            while (m_p != m_end) {
                const unsigned char c = static_cast<unsigned char>(*m_p);
                if (c == '"' || c == '\\')
                    break;
                if (c < 0x20)
                    return syntax("control character in a string");
                ascii = ascii && c < 0x80;
                ++m_p;
            }
            if (m_p == m_end)
                return syntax("unterminated string");
            if (!appendRun(out, run, m_p, ascii))
                return false;
            if (*m_p == '"') {
                ++m_p;
                return true;
            }
            ++m_p; // the backslash
            if (m_p == m_end)
                return syntax("unterminated string");
            switch (*m_p++) {
            case '"':
                out.append(u'"');
                break;
            case '\\':
                out.append(u'\\');
                break;
            case '/':
                out.append(u'/');
                break;
            case 'b':
                out.append(u'\b');
                break;
            case 'f':
                out.append(u'\f');
                break;
            case 'n':
                out.append(u'\n');
                break;
            case 'r':
                out.append(u'\r');
                break;
            case 't':
                out.append(u'\t');
                break;
            case 'u': {
                char16_t unit = 0;
                if (!hex4(unit))
                    return false;
                if (QChar::isLowSurrogate(unit))
                    return syntax("unpaired surrogate in a string");
                if (QChar::isHighSurrogate(unit)) {
                    char16_t low = 0;
                    if (!literal("\\u") || !hex4(low) || !QChar::isLowSurrogate(low))
                        return syntax("unpaired surrogate in a string");
                    out.append(QChar(unit));
                    out.append(QChar(low));
                } else {
                    out.append(QChar(unit));
                }
                break;
            }
            default:
                --m_p;
                return syntax("bad escape in a string");
            }
            run = m_p;
            ascii = true;
        }
    }

    bool number(double *out)
    {
        const char *start = m_p;
        if (m_p != m_end && *m_p == '-')
            ++m_p;
        const auto digits = [this] {
            const char *from = m_p;
            while (m_p != m_end && *m_p >= '0' && *m_p <= '9')
                ++m_p;
            return m_p - from;
        };
        if (m_p != m_end && *m_p == '0')
            ++m_p;
        else if (digits() == 0)
            return syntax("bad number");
        if (m_p != m_end && *m_p == '.') {
            ++m_p;
            if (digits() == 0)
                return syntax("bad number");
        }
        if (m_p != m_end && (*m_p == 'e' || *m_p == 'E')) {
            ++m_p;
            if (m_p != m_end && (*m_p == '+' || *m_p == '-'))
                ++m_p;
            if (digits() == 0)
                return syntax("bad number");
        }
        double value = 0;
        const auto result = std::from_chars(start, m_p, value);
        if (result.ec == std::errc::result_out_of_range) {
            // Too small to represent reads as zero, too large is an error.
            if (decimalOrder(start, m_p) > 0)
                return syntax("number out of range");
            value = *start == '-' ? -0.0 : 0.0;
        } else if (result.ec != std::errc()) {
            return syntax("bad number");
        }
        if (out)
            *out = value;
        return true;
    }

    // For a valid JSON number that is not zero: the power of ten of its
    // leading digit, plus one (123 gives 3, 0.05 gives -1), saturated.
    static long long decimalOrder(const char *from, const char *to)
    {
        if (*from == '-')
            ++from;
        long long order = 0;
        bool leading = true;
        bool fraction = false;
        const char *p = from;
        for (; p != to && *p != 'e' && *p != 'E'; ++p) {
            if (*p == '.') {
                fraction = true;
                continue;
            }
            if (leading && *p == '0') {
                if (fraction)
                    --order;
                continue;
            }
            if (leading) {
                leading = false;
                if (fraction)
                    break;
            }
            if (!fraction)
                ++order;
        }
        while (p != to && *p != 'e' && *p != 'E')
            ++p;
        if (p == to)
            return order;
        ++p;
        const bool negative = *p == '-';
        if (*p == '-' || *p == '+')
            ++p;
        long long exponent = 0;
        for (; p != to && exponent < 1000000000; ++p)
            exponent = exponent * 10 + (*p - '0');
        return order + (negative ? -exponent : exponent);
    }

    bool skipValue()
    {
        if (m_p == m_end)
            return syntax("a value is missing");
        switch (*m_p) {
        case '"': {
            QString ignored;
            return string(ignored);
        }
        case '{':
            ++m_p;
            if (!enter())
                return false;
            if (!members([this](Key) { return skipValue(); }))
                return false;
            --m_depth;
            return true;
        case '[':
            ++m_p;
            if (!enter())
                return false;
            if (!elements([this](qsizetype) { return skipValue(); }))
                return false;
            --m_depth;
            return true;
        case 't':
        case 'f':
        case 'n':
            if (literal("true") || literal("false") || literal("null"))
                return true;
            return syntax("unknown word");
        default:
            if (*m_p == '-' || *m_p == '.' || (*m_p >= '0' && *m_p <= '9'))
                return number(nullptr);
            return syntax("unexpected character");
        }
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

    // After the opening brace: "key": value pairs up to the closing brace.
    template <typename Member> bool members(Member &&member)
    {
        space();
        if (m_p != m_end && *m_p == '}') {
            ++m_p;
            return true;
        }
        QString key;
        for (;;) {
            space();
            if (m_p == m_end || *m_p != '"')
                return syntax("a key is missing");
            if (!string(key))
                return false;
            space();
            if (m_p == m_end || *m_p != ':')
                return syntax("a colon is missing");
            ++m_p;
            space();
            if (m_p == m_end)
                return syntax("a value is missing");
            if (!member(keyOf(key)))
                return false;
            space();
            if (m_p != m_end && *m_p == ',') {
                ++m_p;
                continue;
            }
            if (m_p != m_end && *m_p == '}') {
                ++m_p;
                return true;
            }
            return syntax("a comma or closing brace is missing");
        }
    }

    // After the opening bracket: values up to the closing bracket.
    template <typename Element> bool elements(Element &&element)
    {
        space();
        if (m_p != m_end && *m_p == ']') {
            ++m_p;
            return true;
        }
        for (qsizetype index = 0;; ++index) {
            space();
            if (!element(index))
                return false;
            space();
            if (m_p != m_end && *m_p == ',') {
                ++m_p;
                continue;
            }
            if (m_p != m_end && *m_p == ']') {
                ++m_p;
                return true;
            }
            return syntax("a comma or closing bracket is missing");
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
        const bool ok = members([&](Key key) {
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
    // Plain decimals in the range every timestamp lives in: the shortest form
    // alone would write a whole second like 790000000 as "7.9e+08". Beyond
    // 2^53, or below 1e-4, the exponent form is what documents hold.
    const double magnitude = std::fabs(value);
    const bool plain = magnitude == 0 || (magnitude >= 1e-4 && magnitude <= 0x1p53);
    return plain ? std::to_chars(out, out + 64, value, std::chars_format::fixed).ptr
                 : std::to_chars(out, out + 64, value).ptr;
}

QByteArray ScriptDocument::numberText(double value)
{
    char buffer[64];
    return QByteArray(buffer, writeNumber(buffer, value) - buffer);
}

void ScriptDocument::appendString(QByteArray &out, const QString &text)
{
    Buffer buffer(std::move(out));
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
