#pragma once

#include "TestNodes.h"
#include "TestSupport.h"
#include "library/ScriptDocument.h"
#include "library/ShellStore.h"
#include "settings/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>

// Paths of the standard documents relative to a TestHome.
namespace Paths {
inline const QString local = QStringLiteral("home/Documents/FennickTallowBay/tallowBay.json");
inline const QString localBackup =
    QStringLiteral("home/Documents/FennickTallowBay/tallowBay.session-backup.json");
inline const QString cloud =
    QStringLiteral("home/Library/Mobile Documents/com~apple~CloudDocs/tallowBay/tallowBay.json");
inline const QString olderDocuments = QStringLiteral("home/Documents/tallowBay/tallowBay.json");
inline const QString olderSupport =
    QStringLiteral("home/.local/share/com.kestwick.fennick-tallowBay/shells.json");
} // namespace Paths

inline ShellNode makeFolder(const QString &name, double createdAt = 700000000)
{
    return TestNodes::createdAt(TestNodes::folder(name), createdAt);
}

inline ShellNode makeScript(const QString &name, double createdAt = 700000000)
{
    return TestNodes::createdAt(
        TestNodes::script(name, QStringLiteral("/opt/scripts/") + name + QStringLiteral(".sh")),
        createdAt);
}

// A valid document holding top-level folders with these names.
inline QByteArray documentWith(const QStringList &names, bool published = true)
{
    Persisted persisted;
    persisted.isPublished = published;
    for (const QString &name : names)
        persisted.roots.append(makeFolder(name));
    return ScriptDocument::encode(persisted);
}

inline QStringList rootNames(const QList<ShellNode> &roots)
{
    QStringList names;
    for (const ShellNode &node : roots)
        names.append(node.name);
    return names;
}

// Every node's name, in pre-order.
inline QStringList allNames(const QList<ShellNode> &list)
{
    QStringList names;
    for (const ShellNode &node : list) {
        names << node.name;
        if (node.children)
            names << allNames(*node.children);
    }
    return names;
}

inline QStringList namesIn(const QByteArray &document)
{
    const ScriptDocument::Decoded decoded = ScriptDocument::decode(document, 0);
    return decoded ? rootNames(decoded.persisted->roots) : QStringList{QStringLiteral("<bad>")};
}

// A home, its preferences and, once started, a store over them.
struct StoreRig
{
    TestHome home;
    std::unique_ptr<Preferences> preferences =
        std::make_unique<Preferences>(home.preferencesFile());
    std::unique_ptr<ShellStore> store;
    QStringList lines;

    ShellStore &start()
    {
        store.reset();
        store = std::make_unique<ShellStore>(*preferences, home.locations());
        store->setLineSink([this](const QString &line) { lines.append(line); });
        return *store;
    }

    // Replaces the tree the way an edit does: assign, then save.
    bool edit(const QStringList &names)
    {
        QList<ShellNode> roots;
        for (const QString &name : names)
            roots.append(makeFolder(name));
        store->setRoots(roots);
        return store->save();
    }

    bool exists(const QString &relative) const
    {
        return QFileInfo::exists(home.filePath(relative));
    }
    QString absolute(const QString &relative) const { return home.filePath(relative); }

    // A stored custom profile pointing at a document written under the home.
    Profile customProfile(const QString &relativeDocument, const QStringList &names,
                          const QString &name = QStringLiteral("Custom"))
    {
        home.write(relativeDocument, documentWith(names));
        return Profile{QUuid::createUuid(), name, absolute(relativeDocument)};
    }
};
