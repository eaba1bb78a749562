#include "run/RunHistory.h"

#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

void RunHistory::record(const QUuid &id, const std::optional<QString> &preset)
{
    QList<Entry> list = entries();
    const Entry entry{id, preset};
    list.removeAll(entry);
    list.prepend(entry);
    if (list.size() > capacity)
        list.resize(capacity);
    QJsonArray array;
    for (const Entry &e : std::as_const(list)) {
        QJsonObject object{{QStringLiteral("id"), e.id.toString(QUuid::WithoutBraces).toUpper()}};
        if (e.preset)
            object.insert(QStringLiteral("preset"), *e.preset);
        array.append(object);
    }
    PreferenceKeys::recentRuns.write(
        m_preferences, QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact)));
}

QList<RunHistory::Entry> RunHistory::entries() const
{
    const std::optional<QString> stored = PreferenceKeys::recentRuns.stored(m_preferences);
    if (!stored)
        return {};
    QList<Entry> list;
    const QJsonArray array = QJsonDocument::fromJson(stored->toUtf8()).array();
    for (const QJsonValue &value : array) {
        const QJsonObject object = value.toObject();
        const QUuid id = QUuid::fromString(object.value(QStringLiteral("id")).toString());
        if (id.isNull())
            continue;
        Entry entry{id, std::nullopt};
        if (object.value(QStringLiteral("preset")).isString())
            entry.preset = object.value(QStringLiteral("preset")).toString();
        if (!list.contains(entry))
            list.append(entry);
        if (list.size() == capacity)
            break;
    }
    return list;
}
