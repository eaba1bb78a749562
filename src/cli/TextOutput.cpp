#include "cli/TextOutput.h"

#include "cli/NodePath.h"

#include <QStringBuilder>
#include <QStringList>

#include <functional>

namespace TextOutput {

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

void appendField(QString &line, const QString &text)
{
    const QChar *run = text.cbegin();
    for (const QChar *c = run; c != text.cend(); ++c) {
        if (*c != u'\\' && *c != u'\t' && *c != u'\n')
            continue;
        line.append(run, c - run);
        line += u'\\';
        line += *c == u'\t' ? u't' : *c == u'\n' ? u'n' : u'\\';
        run = c + 1;
    }
    line.append(run, text.cend() - run);
}

QString field(const QString &text)
{
    QString out;
    appendField(out, text);
    return out;
}

QString listing(const QList<ShellNode> &displayRoots, const QHash<QUuid, QString> &shortIds)
{
    QString text;
    text.reserve(shortIds.size() * 96);
    const std::function<void(const QList<ShellNode> &, const QString &)> walk =
        [&](const QList<ShellNode> &list, const QString &parentPath) {
            for (const ShellNode &node : list) {
                const QString path = parentPath.isEmpty()
                                         ? NodePath::escape(node.displayName())
                                         : parentPath + u'/' + NodePath::escape(node.displayName());
                text += path % u'\t' % toRaw(node.kind) % u'\t' % shortIds.value(node.id) % u'\t';
                appendField(text, node.filePath.value_or(QString()));
                for (const QString &preset : node.argPresets()) {
                    text += u'\t';
                    appendField(text, preset);
                }
                text += u'\n';
                if (node.children)
                    walk(*node.children, path);
            }
        };
    walk(displayRoots, QString());
    return text;
}

QString profiles(const QList<Profile> &profiles, const QUuid &current,
                 const QList<Profile> &unreachable)
{
    QString text;
    for (const Profile &profile : profiles) {
        QStringList fields{uuidText(profile.id), field(profile.name), field(profile.path)};
        if (profile.id == current)
            fields.append(QStringLiteral("current"));
        if (unreachable.contains(profile))
            fields.append(QStringLiteral("not reachable"));
        text += fields.join(u'\t') + u'\n';
    }
    return text;
}

QString madeNode(const QList<ShellNode> &roots, const QUuid &id)
{
    return NodePath::pathOf(roots, id).value_or(uuidText(id)) + u'\t' + uuidText(id) + u'\n';
}

} // namespace TextOutput
