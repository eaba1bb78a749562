#pragma once

#include "platform/Locations.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

// A private home for one test: standard folders and a preferences file
// inside a temporary directory, never the user's own.
class TestHome
{
public:
    TestHome();

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &relative) const { return m_dir.filePath(relative); }
    const Locations &locations() const { return m_locations; }
    QString preferencesFile() const { return m_dir.filePath(QStringLiteral("preferences.ini")); }

    // Writes bytes to a file under the home, creating its folders.
    bool write(const QString &relative, const QByteArray &bytes) const;
    QByteArray read(const QString &relative) const;

private:
    QTemporaryDir m_dir;
    Locations m_locations;
};
