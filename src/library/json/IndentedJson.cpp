#include "library/json/IndentedJson.h"

void IndentedJson::item()
{
    if (m_keyed) {
        m_keyed = false;
        return;
    }
    if (m_depth == 0)
        return;
    if (!m_first)
        m_out.put(",\n");
    m_first = false;
    m_out.spaces(4 * m_depth);
}

void IndentedJson::begin(char bracket)
{
    item();
    m_out.put(bracket);
    m_out.put('\n');
    ++m_depth;
    m_first = true;
}

void IndentedJson::end(char bracket)
{
    if (!m_first)
        m_out.put('\n');
    --m_depth;
    m_out.spaces(4 * m_depth);
    m_out.put(bracket);
    m_first = false;
}

QByteArray IndentedJson::take()
{
    m_out.put('\n');
    return m_out.take();
}
