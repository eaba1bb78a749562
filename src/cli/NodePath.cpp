#include "cli/NodePath.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <bit>
#include <tuple>
#include <vector>

namespace NodePath {
namespace {
// The control characters (general category Cc) are fixed for good as
// these two ranges; asking the Unicode tables per character costs more than
// a whole listing.
bool isControl(QChar c)
{
    return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0);
}

bool needsEscape(QChar c)
{
    return c == u'\\' || c == u'/' || isControl(c);
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
    const QString text = idText(reference);
    static const QRegularExpression idPattern(QStringLiteral("^[0-9A-F-]+$"));
    if (!idPattern.match(text).hasMatch() || QString(text).remove(u'-').size() < minimumIdPrefix)
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
    if (std::none_of(name.cbegin(), name.cend(), needsEscape))
        return name;
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
    // Whole listings pass through here: whole blocks of a fixed size without
    // an early exit and without branches, which the compiler vectorises.
    constexpr qsizetype blockSize = 256;
    const auto unsafe = [](char16_t c) {
        return int((c < 0x20) & (c != u'\n') & (c != u'\t')) | int(char16_t(c - 0x7F) < 0x21);
    };
    const char16_t *const units = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype whole = text.size() - text.size() % blockSize;
    bool plain = true;
    for (qsizetype block = 0; plain && block < whole; block += blockSize) {
        int found = 0;
        for (qsizetype i = 0; i < blockSize; ++i)
            found |= unsafe(units[block + i]);
        plain = found == 0;
    }
    for (qsizetype i = whole; plain && i < text.size(); ++i)
        plain = unsafe(units[i]) == 0;
    if (plain)
        return text;
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text)
        out += isControl(c) && c != u'\n' && c != u'\t' ? hexEscape(c) : QString(c);
    return out;
}

QString idText(const QString &reference)
{
    QString text = reference.trimmed().toUpper();
    if (text.startsWith(u'{') && text.endsWith(u'}'))
        text = text.mid(1, text.size() - 2);
    return text;
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
    // one it shares with a neighbour. The id as two numbers sorts like its
    // text and compares without building it.
    struct Key
    {
        quint64 high;
        quint64 low;
        QUuid id;
        auto operator<=>(const Key &other) const
        {
            return std::tie(high, low) <=> std::tie(other.high, other.low);
        }
        bool operator==(const Key &other) const { return high == other.high && low == other.low; }
    };
    std::vector<Key> keys;
    walk(roots, [&keys](const ShellNode &node) {
        const QUuid &id = node.id;
        quint64 low = 0;
        for (const uchar byte : id.data4)
            low = low << 8 | byte;
        keys.push_back({quint64(id.data1) << 32 | quint64(id.data2) << 16 | id.data3, low, id});
    });
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    // Characters of text two ids share: their common hex digits and the
    // hyphens that come after the 8th, 12th, 16th and 20th digit.
    const auto common = [](const Key &a, const Key &b) {
        const int digits = a.high != b.high ? std::countl_zero(a.high ^ b.high) / 4
                           : a.low != b.low ? 16 + std::countl_zero(a.low ^ b.low) / 4
                                            : 32;
        return qsizetype(digits + (digits >= 8) + (digits >= 12) + (digits >= 16) + (digits >= 20));
    };
    // Only a top-level name that reads like an id prefix can shadow one.
    const auto idLike = [](const QString &name) {
        return name.size() >= minimumIdPrefix && name.size() <= 36 &&
               std::all_of(name.cbegin(), name.cend(), [](QChar c) {
                   return c == u'-' || (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F');
               });
    };
    QSet<QString> topNames;
    for (const ShellNode &node : roots)
        if (const QString name = node.displayName(); idLike(name))
            topNames.insert(name);
    QHash<QUuid, QString> prefixes;
    prefixes.reserve(qsizetype(keys.size()));
    for (size_t i = 0; i < keys.size(); ++i) {
        const QString text = uuidText(keys[i].id);
        qsizetype length = minimumIdPrefix;
        if (i > 0)
            length = std::max(length, common(keys[i], keys[i - 1]) + 1);
        if (i + 1 < keys.size())
            length = std::max(length, common(keys[i], keys[i + 1]) + 1);
        length = std::min(length, text.size());
        while (length < text.size() &&
               (text[length - 1] == u'-' ||
                (!topNames.isEmpty() && topNames.contains(text.left(length)))))
            ++length;
        prefixes.insert(keys[i].id, text.left(length));
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
