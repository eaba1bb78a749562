#pragma once

#include <QByteArray>
#include <QString>

#include <cstring>

// A strict JSON (RFC 8259) reader over a byte buffer, for readers that build
// their own values in one pass instead of a QJsonDocument (a document of
// 100,000 nodes is some 40 MB, too slow to build as a QJsonDocument first).
// The first error is kept in `error`; every call returns false after it.
class JsonCursor
{
public:
    explicit JsonCursor(const QByteArray &bytes);

    QString error;
    // Arrays and objects nested deeper than this are refused: the reader
    // recurses, and a hostile document must not exhaust the stack.
    static constexpr int maxDepth = 512;

protected:
    const char *m_begin;
    const char *m_p;
    const char *m_end;
    int m_depth = 0;

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
            if (!member(key))
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

    static int hexValue(char c);

    bool hex4(char16_t &out);

    bool appendRun(QString &out, const char *from, const char *to, bool ascii);

    // At the opening quote.
    bool string(QString &out);

    bool number(double *out);

    // For a valid JSON number that is not zero: the power of ten of its
    // leading digit, plus one (123 gives 3, 0.05 gives -1), saturated.
    static long long decimalOrder(const char *from, const char *to);

    bool skipValue();
};
