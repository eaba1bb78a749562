#pragma once

#include "library/json/JsonBuffer.h"

// JSON laid out as QJsonDocument::Indented lays it out, written straight
// into a buffer in the order the caller gives (keys in the order they should
// appear): building QJsonObjects of a large library costs many times more
// than writing it. Strings are written for a terminal.
class IndentedJson
{
public:
    void beginObject() { begin('{'); }
    void endObject() { end('}'); }
    void beginArray() { begin('['); }
    void endArray() { end(']'); }

    // The key of the next value inside an object.
    template <qsizetype N> void key(const char (&name)[N])
    {
        item();
        m_out.put('"');
        m_out.put(name, N - 1);
        m_out.put("\": ");
        m_keyed = true;
    }

    void string(const QString &text)
    {
        item();
        m_out.string(text, JsonBuffer::Style::terminal);
    }
    void boolean(bool value)
    {
        item();
        if (value)
            m_out.put("true");
        else
            m_out.put("false");
    }

    // The text with its closing line break; the writer is spent.
    QByteArray take();

private:
    void item();
    void begin(char bracket);
    void end(char bracket);

    JsonBuffer m_out{QByteArray(), 1 << 12};
    int m_depth = 0;
    bool m_first = true;  // nothing written yet in the innermost container
    bool m_keyed = false; // a key is written, its value comes next
};
