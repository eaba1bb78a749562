#include "library/DocumentWriter.h"

#include "library/json/JsonBuffer.h"

#include <cmath>

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

    // One element a line, as the document has always been written.
    template <typename List, typename WriteItem>
    void array(int level, const List &list, WriteItem writeItem)
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
            writeItem(level + 1, list.at(i));
        }
        out.put('\n');
        indent(level);
        out.put(']');
    }

    void stringArray(int level, const QStringList &list)
    {
        array(level, list, [this](int at, const QString &text) {
            indent(at);
            out.string(text);
        });
    }

    void nodeArray(int level, const QList<ShellNode> &list)
    {
        array(level, list, [this](int at, const ShellNode &child) { node(at, child); });
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

} // namespace

QByteArray DocumentWriter::write(const Persisted &document)
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
