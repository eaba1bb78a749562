#pragma once

#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

class Preferences;

// The most recent runs, newest first, kept in the preferences so that the
// quick-run palette can offer them before anything is typed.
class RunHistory
{
public:
    struct Entry
    {
        QUuid id;
        std::optional<QString> preset;
        bool operator==(const Entry &other) const = default;
    };
    static constexpr qsizetype capacity = 20;

    explicit RunHistory(Preferences &preferences) : m_preferences(preferences) {}

    // Moves the run to the front; an equal earlier one goes.
    void record(const QUuid &id, const std::optional<QString> &preset);
    QList<Entry> entries() const;

private:
    Preferences &m_preferences;
};
