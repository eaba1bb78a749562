#include "library/json/JsonCursor.h"

#include <QByteArrayView>

#include <charconv>
#include <cstring>

JsonCursor::JsonCursor(const QByteArray &bytes)
    : m_begin(bytes.constData()), m_p(bytes.constData()), m_end(bytes.constData() + bytes.size())
{
    if (m_end - m_p >= 3 && std::memcmp(m_p, "\xEF\xBB\xBF", 3) == 0)
        m_p += 3;
}

int JsonCursor::hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool JsonCursor::hex4(char16_t &out)
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

bool JsonCursor::appendRun(QString &out, const char *from, const char *to, bool ascii)
{
    // A string's first run is made to fit: appending to an empty string
    // reserves room to grow, which every name and path of a forest would keep.
    if (ascii) {
        if (out.isEmpty() && out.capacity() < to - from)
            out = QString::fromLatin1(from, to - from);
        else
            out.append(QLatin1StringView(from, to - from));
        return true;
    }
    QByteArrayView run(from, to - from);
    if (!run.isValidUtf8())
        return syntax("invalid UTF-8 in a string");
    // fromUtf8 drops a byte-order mark that starts what it converts; a run
    // after an escape ("\/" in a path) may start with U+FEFF, which is text.
    if (run.startsWith("\xEF\xBB\xBF")) {
        out.append(QChar(0xFEFF));
        run = run.sliced(3);
    }
    if (out.isEmpty())
        out = QString::fromUtf8(run);
    else
        out.append(QString::fromUtf8(run));
    return true;
}

bool JsonCursor::string(QString &out)
{
    // Keeps the room of a string used again, as the keys of a node are.
    out.resize(0);
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

bool JsonCursor::number(double *out)
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

long long JsonCursor::decimalOrder(const char *from, const char *to)
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

bool JsonCursor::skipValue()
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
        if (!members([this](const QString &) { return skipValue(); }))
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
