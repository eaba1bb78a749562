#include "palette/QuickRunIndex.h"

#include "palette/FuzzyMatch.h"

#include <QHash>

#include <algorithm>

void QuickRunIndex::rebuild(const QList<ShellNode> &roots)
{
    m_entries.clear();
    for (const ShellNode &node : roots)
        add(node, QString());
}

void QuickRunIndex::add(const ShellNode &node, const QString &parentPath)
{
    const QString path =
        parentPath.isEmpty() ? node.displayName() : parentPath + u'/' + node.displayName();
    auto append = [this, &node, &path](std::optional<QString> preset) {
        QuickRunEntry entry;
        entry.id = node.id;
        entry.isFolder = node.kind == NodeKind::folder;
        entry.path = path;
        entry.text = preset ? path + QStringLiteral("  ") + *preset : path;
        entry.preset = std::move(preset);
        entry.folded = FuzzyMatch::fold(entry.text);
        m_entries.append(std::move(entry));
    };
    if (node.kind == NodeKind::folder) {
        append(std::nullopt);
        if (node.children)
            for (const ShellNode &child : *node.children)
                add(child, path);
        return;
    }
    const QStringList presets = node.argPresets();
    if (presets.isEmpty())
        append(std::nullopt);
    for (const QString &preset : presets)
        append(preset);
}

QList<QuickRunIndex::Hit> QuickRunIndex::search(const QString &pattern,
                                                const QList<RunHistory::Entry> &recent,
                                                qsizetype limit) const
{
    QList<Hit> hits;
    const QString folded = FuzzyMatch::fold(pattern.trimmed());
    if (folded.isEmpty()) {
        QHash<QUuid, QList<qsizetype>> byID;
        for (qsizetype i = 0; i < m_entries.size(); ++i)
            byID[m_entries.at(i).id].append(i);
        QList<bool> taken(m_entries.size(), false);
        for (const RunHistory::Entry &run : recent) {
            for (const qsizetype i : byID.value(run.id)) {
                const QuickRunEntry &entry = m_entries.at(i);
                // A run with a text of its own (orlenta run --arg) shows as the
                // script's plain entry only if it has one.
                if (entry.preset == run.preset && !taken.at(i)) {
                    taken[i] = true;
                    hits.append(Hit{i, {}});
                }
            }
        }
        for (qsizetype i = 0; i < m_entries.size() && hits.size() < limit; ++i)
            if (!taken.at(i))
                hits.append(Hit{i, {}});
        if (hits.size() > limit)
            hits.resize(limit);
        return hits;
    }

    struct Scored
    {
        int score;
        qsizetype index;
        QList<qsizetype> positions;
    };
    QList<Scored> scored;
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const QuickRunEntry &entry = m_entries.at(i);
        if (std::optional<FuzzyMatch::Result> result =
                FuzzyMatch::match(folded, entry.folded, entry.text))
            scored.append({result->score, i, std::move(result->positions)});
    }
    // Better score first; between equals the shorter text, then tree order.
    const auto better = [this](const Scored &a, const Scored &b) {
        if (a.score != b.score)
            return a.score > b.score;
        const qsizetype la = m_entries.at(a.index).text.size();
        const qsizetype lb = m_entries.at(b.index).text.size();
        return la != lb ? la < lb : a.index < b.index;
    };
    const qsizetype count = std::min(limit, scored.size());
    std::partial_sort(scored.begin(), scored.begin() + count, scored.end(), better);
    hits.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        hits.append(Hit{scored.at(i).index, std::move(scored[i].positions)});
    return hits;
}
