// Node paths as typed on the command line: the parser on any text, the
// escaping on any name, and the short ids of a forest built from the input.
#include "cli/NodePath.h"

#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(FuzzInput::bytes(data, size));
    if (const std::optional<QStringList> names = NodePath::split(text)) {
        QStringList escaped;
        for (const QString &name : *names) {
            FuzzInput::require(!name.isEmpty(), "no empty name in a path");
            escaped.append(NodePath::escape(name));
        }
        FuzzInput::require(NodePath::split(escaped.join(u'/')) == names,
                           "escaped paths split back");
    }
    if (!text.isEmpty()) {
        FuzzInput::require(NodePath::split(NodePath::escape(text)) == QStringList{text},
                           "any name escapes to itself");
        const QString shown = NodePath::escapeControls(text);
        FuzzInput::require(std::none_of(shown.cbegin(), shown.cend(),
                                        [](QChar c) {
                                            return c.category() == QChar::Other_Control &&
                                                   c != u'\n' && c != u'\t';
                                        }),
                           "no control character is shown raw");
    }

    // A forest whose ids are cut from the input (so they share prefixes) and
    // whose top-level names are id prefixes now and then.
    QList<ShellNode> roots;
    for (size_t at = 0; at + 4 <= size && roots.size() < 64; at += 4) {
        ShellNode node;
        const uint32_t head = uint32_t(data[at]) << 24 | uint32_t(data[at + 1] & 0x0f) << 16;
        node.id = QUuid(head, ushort(data[at + 2] & 0x3), 0, 0, 0, 0, 0, 0, 0, 0, data[at + 3] & 1);
        node.kind = (data[at + 3] & 2) ? NodeKind::folder : NodeKind::script;
        node.name =
            (data[at + 3] & 4) ? uuidText(node.id).left(4 + data[at + 3] % 8) : text.left(3);
        if (node.kind == NodeKind::folder && !roots.isEmpty() && (data[at + 3] & 8)) {
            ShellNode child = roots.takeLast();
            node.children = QList<ShellNode>{child};
        }
        roots.append(node);
    }
    const QHash<QUuid, QString> prefixes = NodePath::uniquePrefixes(roots);
    for (auto it = prefixes.cbegin(); it != prefixes.cend(); ++it)
        FuzzInput::require(it.value() == NodePath::uniquePrefix(roots, it.key()),
                           "all short ids at once are each short id");
    (void)NodePath::resolve(roots, text);
    return 0;
}
