#pragma once

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstring>

// Output written through a cursor into a buffer that grows by doubling:
// appending to a QByteArray piece by piece costs more than all the
// formatting of a large document put together.
class JsonBuffer
{
public:
    explicit JsonBuffer(QByteArray initial = QByteArray(), qsizetype capacity = 0)
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

    // How string literals are written: as documents hold them (the solidus
    // escaped too), or for a terminal the way QJsonDocument writes them, with
    // no control character raw (DEL and C1 escaped as well) and a lone
    // surrogate as its \u escape.
    enum class Style { document, terminal };

    // A JSON string literal: quotes, backslash and control characters
    // escaped, everything else as UTF-8.
    void string(const QString &text, Style style = Style::document);

    // Shortest text that reads back to the same double, as plain decimals
    // where timestamps live; into room for 64 characters, returns the end.
    static char *writeNumber(char *out, double value);

    void number(double value)
    {
        reserve(64);
        m_cursor = writeNumber(m_cursor, value);
    }

private:
    QByteArray m_bytes;
    char *m_cursor = nullptr;
    char *m_end = nullptr;
};
