#include "cli/NodePath.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace NodePath {
namespace {
bool isControl(QChar c)
{
    return c.category() == QChar::Other_Control;
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

QString hexEscape(QChar c)
{
    return QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
}

void walk(const QList<ShellNode> &list, const std::function<void(const ShellNode &)> &visit)
{
    for (const ShellNode &node : list) {
        visit(node);
        if (node.children)
            walk(*node.children, visit);
    }
}

bool findPath(const QList<ShellNode> &list, const QUuid &id, QStringList &names)
{
    for (const ShellNode &node : list) {
        names.append(escape(node.displayName()));
        if (node.id == id || (node.children && findPath(*node.children, id, names)))
            return true;
        names.removeLast();
    }
    return false;
}

QString candidates(const QList<ShellNode> &roots, const QList<ShellNode> &matches)
{
    QStringList ids;
    for (const ShellNode &node : matches)
        ids.append(uniquePrefix(roots, node.id));
    return ids.join(QStringLiteral(", "));
}

struct PathSearch
{
    const QStringList &names;
    QList<ShellNode> matches;
    qsizetype deepest = -1;      // index of the deepest name matched
    bool scriptInTheWay = false; // a script where a folder was needed, at deepest

    void run(const QList<ShellNode> &level, qsizetype i)
    {
        for (const ShellNode &node : level) {
            if (node.displayName() != names[i])
                continue;
            const bool last = i + 1 == names.size();
            if (i > deepest) {
                deepest = i;
                scriptInTheWay = false;
            }
            if (last)
                matches.append(node);
            else if (node.kind == NodeKind::script)
                scriptInTheWay = scriptInTheWay || i == deepest;
            else if (node.children)
                run(*node.children, i + 1);
        }
    }
};

QString joined(const QStringList &names, qsizetype count)
{
    QStringList escaped;
    for (qsizetype i = 0; i < count; ++i)
        escaped.append(escape(names[i]));
    return escaped.join(u'/');
}

// Every node the whole path fits: two folders of the same name are fine as
// long as only one of them leads on.
Resolution byPath(const QList<ShellNode> &roots, const QStringList &names, bool *found)
{
    PathSearch search{names, {}};
    search.run(roots, 0);
    *found = search.deepest >= 0;
    if (search.matches.size() == 1)
        return {search.matches.first(), {}};
    if (search.matches.size() > 1)
        return {std::nullopt, QStringLiteral("\"%1\" names %2 nodes; use an id instead: %3")
                                  .arg(joined(names, names.size()))
                                  .arg(search.matches.size())
                                  .arg(candidates(roots, search.matches))};
    if (!*found)
        return {};
    if (search.scriptInTheWay)
        return {std::nullopt, QStringLiteral("\"%1\" is a script, not a folder")
                                  .arg(joined(names, search.deepest + 1))};
    return {std::nullopt,
            QStringLiteral("no node named \"%1\" in \"%2\"")
                .arg(escape(names[search.deepest + 1]), joined(names, search.deepest + 1))};
}

Resolution byId(const QList<ShellNode> &roots, const QString &reference, bool *found)
{
    *found = false;
    QString text = reference.trimmed().toUpper();
    if (text.startsWith(u'{') && text.endsWith(u'}'))
        text = text.mid(1, text.size() - 2);
    static const QRegularExpression idText(QStringLiteral("^[0-9A-F-]+$"));
    if (!idText.match(text).hasMatch() || QString(text).remove(u'-').size() < minimumIdPrefix)
        return {};
    QList<ShellNode> matches;
    walk(roots, [&](const ShellNode &node) {
        if (uuidText(node.id).startsWith(text))
            matches.append(node);
    });
    if (matches.isEmpty())
        return {};
    *found = true;
    if (matches.size() > 1)
        return {std::nullopt, QStringLiteral("the id prefix \"%1\" fits %2 nodes: %3")
                                  .arg(reference)
                                  .arg(matches.size())
                                  .arg(candidates(roots, matches))};
    return {matches.first(), {}};
}
} // namespace

QString escape(const QString &name)
{
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'/')
            out += QStringLiteral("\\/");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (isControl(c))
            out += hexEscape(c);
        else
            out += c;
    }
    return out;
}

QString escapeControls(const QString &text)
{
    const auto found = std::find_if(text.cbegin(), text.cend(), [](QChar c) {
        return isControl(c) && c != u'\n' && c != u'\t';
    });
    if (found == text.cend())
        return text;
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text)
        out += isControl(c) && c != u'\n' && c != u'\t' ? hexEscape(c) : QString(c);
    return out;
}

std::optional<QStringList> split(const QString &path)
{
    QStringList names{QString()};
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path[i];
        if (c == u'/') {
            names.append(QString());
            continue;
        }
        if (c == u'\\' && i + 1 < path.size()) {
            const QChar next = path[i + 1];
            if (next == u'x' && i + 3 < path.size()) {
                bool ok = false;
                const ushort code = path.mid(i + 2, 2).toUShort(&ok, 16);
                if (ok && isControl(QChar(code)) && isHexDigit(path[i + 2]) &&
                    isHexDigit(path[i + 3])) {
                    names.last() += QChar(code);
                    i += 3;
                    continue;
                }
            }
            const QChar literal = next == u'n'                    ? QChar(u'\n')
                                  : next == u't'                  ? QChar(u'\t')
                                  : next == u'/' || next == u'\\' ? next
                                                                  : QChar();
            if (!literal.isNull()) {
                names.last() += literal;
                ++i;
                continue;
            }
        }
        names.last() += c;
    }
    if (names.size() > 1 && names.first().isEmpty())
        names.removeFirst();
    if (names.size() > 1 && names.last().isEmpty())
        names.removeLast();
    for (const QString &name : names)
        if (name.isEmpty())
            return std::nullopt;
    return names;
}

std::optional<QString> pathOf(const QList<ShellNode> &roots, const QUuid &id)
{
    QStringList names;
    if (!findPath(roots, id, names))
        return std::nullopt;
    return names.join(u'/');
}

QString uniquePrefix(const QList<ShellNode> &roots, const QUuid &id)
{
    const QString text = uuidText(id);
    qsizetype length = minimumIdPrefix;
    walk(roots, [&](const ShellNode &node) {
        if (node.id == id)
            return;
        const QString other = uuidText(node.id);
        qsizetype common = 0;
        while (common < text.size() && other[common] == text[common])
            ++common;
        length = std::max(length, common + 1);
    });
    // A top-level name that reads like the prefix would be found first; and
    // a prefix never ends on a hyphen, it reads better and means the same.
    const auto shadowed = [&roots](const QString &prefix) {
        return std::any_of(roots.cbegin(), roots.cend(), [&prefix](const ShellNode &node) {
            return node.displayName() == prefix;
        });
    };
    while (length < text.size() && (text[length - 1] == u'-' || shadowed(text.left(length))))
        ++length;
    return text.left(length);
}

QHash<QUuid, QString> uniquePrefixes(const QList<ShellNode> &roots)
{
    // In sorted order the longest prefix an id shares with any other is the
    // one it shares with a neighbour.
    QList<std::pair<QString, QUuid>> ids;
    walk(roots, [&ids](const ShellNode &node) { ids.append({uuidText(node.id), node.id}); });
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    const auto common = [](const QString &a, const QString &b) {
        qsizetype n = 0;
        while (n < a.size() && n < b.size() && a[n] == b[n])
            ++n;
        return n;
    };
    QSet<QString> topNames;
    for (const ShellNode &node : roots)
        topNames.insert(node.displayName());
    QHash<QUuid, QString> prefixes;
    prefixes.reserve(ids.size());
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const QString &text = ids[i].first;
        qsizetype length = minimumIdPrefix;
        if (i > 0)
            length = std::max(length, common(text, ids[i - 1].first) + 1);
        if (i + 1 < ids.size())
            length = std::max(length, common(text, ids[i + 1].first) + 1);
        length = std::min(length, text.size());
        while (length < text.size() &&
               (text[length - 1] == u'-' || topNames.contains(text.left(length))))
            ++length;
        prefixes.insert(ids[i].second, text.left(length));
    }
    return prefixes;
}

Resolution resolve(const QList<ShellNode> &roots, const QString &reference)
{
    if (reference.isEmpty())
        return {std::nullopt, QStringLiteral("an empty node name")};
    bool found = false;
    if (const std::optional<QStringList> names = split(reference)) {
        Resolution resolution = byPath(roots, *names, &found);
        if (found)
            return resolution;
    }
    Resolution resolution = byId(roots, reference, &found);
    if (found)
        return resolution;
    return {std::nullopt, QStringLiteral("no node \"%1\" (see orlenta list)").arg(reference)};
}

} // namespace NodePath
