#pragma once

#include "platform/Locations.h"

#include <QJsonDocument>
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

// What QJsonDocument writes for the document (indented), with the control
// characters it leaves raw (DEL and C1) escaped as \u00XX: the layout the
// command line's JSON output has always had.
QString qtJsonLayout(const QJsonDocument &document);
