#pragma once

#include "library/ShellNode.h"
#include "palette/QuickRunEntry.h"
#include "run/RunHistory.h"

#include <QList>
#include <QString>

// Everything the palette can start, in tree order, and the search over it.
class QuickRunIndex
{
public:
    struct Hit
    {
        qsizetype entry = -1; // index into entries()
        QList<qsizetype> positions;
    };

    // Folders, scripts without presets, and one entry per preset of the
    // others, in the order of the given (display-ordered) forest.
    void rebuild(const QList<ShellNode> &roots);
    const QList<QuickRunEntry> &entries() const { return m_entries; }

    // Best first, at most limit. An empty pattern lists the recent runs that
    // still exist, newest first, then everything else in tree order.
    QList<Hit> search(const QString &pattern, const QList<RunHistory::Entry> &recent,
                      qsizetype limit) const;

private:
    void add(const ShellNode &node, const QString &parentPath);

    QList<QuickRunEntry> m_entries;
};
