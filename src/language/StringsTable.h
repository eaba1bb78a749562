#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

// One Localizable.strings file: "key" = "value"; pairs with C-style comments,
// in UTF-8 or in UTF-16 with a byte-order mark. A file that does not parse as
// a whole is no table at all, so a damaged file never yields half a table.
class StringsTable
{
public:
    StringsTable() = default;

    static StringsTable fromData(const QByteArray &bytes);
    static StringsTable fromFile(const QString &path);

    // False for a missing, unreadable or damaged file.
    bool isValid() const { return m_valid; }
    // Why the table is not valid, with a line number; empty when it is.
    QString errorString() const { return m_error; }

    std::optional<QString> value(const QString &key) const;
    const QHash<QString, QString> &entries() const { return m_entries; }

private:
    QHash<QString, QString> m_entries;
    QString m_error;
    bool m_valid = false;
};
