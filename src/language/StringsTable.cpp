#include "language/StringsTable.h"

#include <QFile>
#include <QStringDecoder>

namespace {

std::optional<QString> decode(const QByteArray &bytes)
{
    auto starts = [&bytes](std::initializer_list<unsigned char> mark) {
        if (bytes.size() < qsizetype(mark.size()))
            return false;
        qsizetype i = 0;
        for (const unsigned char c : mark) {
            if (static_cast<unsigned char>(bytes.at(i++)) != c)
                return false;
        }
        return true;
    };

    QStringDecoder::Encoding encoding = QStringDecoder::Utf8;
    qsizetype skip = 0;
    if (starts({0xEF, 0xBB, 0xBF})) {
        skip = 3;
    } else if (starts({0xFF, 0xFE})) {
        encoding = QStringDecoder::Utf16LE;
        skip = 2;
    } else if (starts({0xFE, 0xFF})) {
        encoding = QStringDecoder::Utf16BE;
        skip = 2;
    }
    const QByteArrayView body = QByteArrayView(bytes).sliced(skip);
    if (encoding != QStringDecoder::Utf8 && body.size() % 2 != 0)
        return std::nullopt;

    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    QString text = decoder(body);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

class Parser
{
public:
    explicit Parser(const QString &text) : m_text(text) {}

    bool parse(QHash<QString, QString> &entries)
    {
        for (;;) {
            if (!skipBlanks())
                return false;
            if (atEnd())
                return true;
            QString key;
            if (!quoted(key))
                return false;
            if (!skipBlanks())
                return false;
            QString value;
            if (peek() == u';') {
                // "key"; stands for "key" = "key";
                value = key;
            } else {
                if (!expect(u'='))
                    return false;
                if (!skipBlanks())
                    return false;
                if (!quoted(value))
                    return false;
                if (!skipBlanks())
                    return false;
            }
            if (!expect(u';'))
                return false;
            entries.insert(key, value);
        }
    }

    QString error() const { return m_error; }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek(qsizetype ahead = 0) const
    {
        return m_pos + ahead < m_text.size() ? m_text.at(m_pos + ahead) : QChar();
    }

    bool fail(const char *what)
    {
        const qsizetype line = m_text.left(m_pos).count(u'\n') + 1;
        m_error = QStringLiteral("line %1: %2").arg(line).arg(QLatin1StringView(what));
        return false;
    }

    bool expect(QChar c)
    {
        if (peek() != c) {
            return fail(c == u'=' ? "expected '='" : "expected ';'");
        }
        ++m_pos;
        return true;
    }

    // White space and both comment forms; false on an unterminated comment.
    bool skipBlanks()
    {
        while (!atEnd()) {
            const QChar c = peek();
            if (c.isSpace()) {
                ++m_pos;
            } else if (c == u'/' && peek(1) == u'/') {
                const qsizetype end = m_text.indexOf(u'\n', m_pos);
                m_pos = end < 0 ? m_text.size() : end + 1;
            } else if (c == u'/' && peek(1) == u'*') {
                const qsizetype end = m_text.indexOf(u"*/", m_pos + 2);
                if (end < 0)
                    return fail("unterminated comment");
                m_pos = end + 2;
            } else {
                break;
            }
        }
        return true;
    }

    bool quoted(QString &out)
    {
        if (peek() != u'"')
            return fail("expected a quoted string");
        ++m_pos;
        out.clear();
        while (!atEnd()) {
            const QChar c = m_text.at(m_pos++);
            if (c == u'"')
                return true;
            if (c != u'\\') {
                out += c;
                continue;
            }
            if (atEnd())
                break;
            const QChar e = m_text.at(m_pos++);
            switch (e.unicode()) {
            case 'n':
                out += u'\n';
                break;
            case 't':
                out += u'\t';
                break;
            case 'r':
                out += u'\r';
                break;
            case 'u':
            case 'U': {
                char16_t code = 0;
                for (int i = 0; i < 4; ++i) {
                    const int digit = hexDigit(peek());
                    if (digit < 0)
                        return fail("\\U needs four hex digits");
                    code = char16_t(code * 16 + digit);
                    ++m_pos;
                }
                out += QChar(code);
                break;
            }
            default:
                // \" \\ and any other escaped character stand for themselves.
                out += e;
                break;
            }
        }
        return fail("unterminated string");
    }

    const QString &m_text;
    qsizetype m_pos = 0;
    QString m_error;
};

} // namespace

StringsTable StringsTable::fromData(const QByteArray &bytes)
{
    StringsTable table;
    const std::optional<QString> text = decode(bytes);
    if (!text) {
        table.m_error = QStringLiteral("not UTF-8, and no UTF-16 byte-order mark");
        return table;
    }
    Parser parser(*text);
    QHash<QString, QString> entries;
    if (!parser.parse(entries)) {
        table.m_error = parser.error();
        return table;
    }
    table.m_entries = std::move(entries);
    table.m_valid = true;
    return table;
}

StringsTable StringsTable::fromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        StringsTable table;
        table.m_error = file.errorString();
        return table;
    }
    return fromData(file.readAll());
}

std::optional<QString> StringsTable::value(const QString &key) const
{
    const auto it = m_entries.constFind(key);
    if (it == m_entries.constEnd())
        return std::nullopt;
    return *it;
}
