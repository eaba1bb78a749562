#include "palette/widgets/QuickRunModel.h"

#include "language/LanguageManager.h"

void QuickRunModel::setHits(const QuickRunIndex *index, QList<QuickRunIndex::Hit> hits)
{
    beginResetModel();
    m_index = index;
    m_hits = std::move(hits);
    endResetModel();
}

const QuickRunEntry *QuickRunModel::entryAt(int row) const
{
    if (!m_index || row < 0 || row >= m_hits.size())
        return nullptr;
    return &m_index->entries().at(m_hits.at(row).entry);
}

int QuickRunModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_hits.size());
}

QVariant QuickRunModel::data(const QModelIndex &index, int role) const
{
    const QuickRunEntry *entry = entryAt(index.row());
    if (!entry)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return entry->text;
    case Qt::AccessibleTextRole:
        return entry->isFolder ? entry->text + QStringLiteral(" · ") +
                                     LanguageManager::localized(QStringLiteral("运行全部"))
                               : entry->text;
    case PositionsRole:
        return QVariant::fromValue(m_hits.at(index.row()).positions);
    case IsFolderRole:
        return entry->isFolder;
    case IsPresetRole:
        return entry->preset.has_value();
    default:
        return {};
    }
}
