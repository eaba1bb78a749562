#pragma once

#include "palette/QuickRunIndex.h"

#include <QAbstractListModel>

// The palette's current matches as list rows.
class QuickRunModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role {
        PositionsRole = Qt::UserRole + 1, // QList<qsizetype>: the matched letters
        IsFolderRole,
        IsPresetRole,
    };

    using QAbstractListModel::QAbstractListModel;

    void setHits(const QuickRunIndex *index, QList<QuickRunIndex::Hit> hits);
    const QuickRunEntry *entryAt(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    const QuickRunIndex *m_index = nullptr;
    QList<QuickRunIndex::Hit> m_hits;
};
