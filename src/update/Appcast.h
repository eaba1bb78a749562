#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// One release in an appcast feed (an RSS feed whose items carry an enclosure
// with sparkle:version and sparkle:shortVersionString).
struct AppcastItem
{
    QString title;
    QString version;            // sparkle:version, compared
    QString shortVersionString; // sparkle:shortVersionString, shown
    QUrl downloadURL;           // the enclosure's url
    QUrl infoURL;               // the item's link (a download page), may be empty

    // What users see: the short version string, or the version without one.
    QString displayVersionString() const;
    // The page to open for this release: the item's link, else the download.
    QUrl pageURL() const;
};

struct AppcastParseResult
{
    QList<AppcastItem> items;     // items without a version are left out
    std::optional<QString> error; // set when the XML is not a readable feed
};

AppcastParseResult parseAppcast(const QByteArray &xml);

// Compares versions the way Sparkle's standard comparator does: the texts are
// split into runs of digits, of other characters and single separators, and
// compared run by run. Negative when a < b, zero when equal, positive when a > b.
int compareVersions(const QString &a, const QString &b);

// The newest item that is newer than current, if any.
std::optional<AppcastItem> newestUpdate(const QList<AppcastItem> &items, const QString &current);
