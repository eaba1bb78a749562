#include "library/json/JsonBuffer.h"

#include <array>
#include <charconv>
#include <cmath>

namespace {
constexpr char hexDigits[] = "0123456789abcdef";

// The ASCII characters a string literal holds as they are (but the solidus
// in a document).
constexpr std::array<bool, 128> plain = [] {
    std::array<bool, 128> table{};
    for (int c = 0x20; c < 0x7F; ++c)
        table[c] = c != '"' && c != '\\';
    return table;
}();

char *unicodeEscape(char *out, char16_t c)
{
    *out++ = '\\';
    *out++ = 'u';
    *out++ = hexDigits[(c >> 12) & 0xF];
    *out++ = hexDigits[(c >> 8) & 0xF];
    *out++ = hexDigits[(c >> 4) & 0xF];
    *out++ = hexDigits[c & 0xF];
    return out;
}
} // namespace

void JsonBuffer::string(const QString &text, Style style)
{
    const bool terminal = style == Style::terminal;
    const char16_t solidus = terminal ? 0 : u'/';
    const char16_t *p = reinterpret_cast<const char16_t *>(text.constData());
    const char16_t *const end = p + text.size();
    // Enough for the worst case: six bytes for every escaped character.
    reserve(2 + 6 * (end - p));
    char *out = m_cursor;
    *out++ = '"';
    while (p != end) {
        const char16_t c = *p++;
        if (c < 0x80 && plain[c] && c != solidus) {
            *out++ = char(c);
        } else if (c < 0x7F) {
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
                out = unicodeEscape(out - 1, c);
            }
        } else if (terminal && c < 0xA0) {
            out = unicodeEscape(out, c);
        } else if (c < 0x80) {
            *out++ = char(c);
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
        } else if (terminal) {
            out = unicodeEscape(out, c);
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

char *JsonBuffer::writeNumber(char *out, double value)
{
    // Plain decimals in the range every timestamp lives in: the shortest form
    // alone would write a whole second like 790000000 as "7.9e+08". Beyond
    // 2^53, or below 1e-4, the exponent form is what documents hold.
    const double magnitude = std::fabs(value);
    const bool plain = magnitude == 0 || (magnitude >= 1e-4 && magnitude <= 0x1p53);
    return plain ? std::to_chars(out, out + 64, value, std::chars_format::fixed).ptr
                 : std::to_chars(out, out + 64, value).ptr;
}
