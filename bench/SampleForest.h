#pragma once

// The benchmarks' libraries: folders of scripts with predictable names and
// paths, so that runs of different benchmarks are comparable.
#include "TestNodes.h"
#include "library/ShellNode.h"

#include <QStringList>

struct SampleShape
{
    int scriptsPerFolder = 50;
    int presetEvery = 5; // every n-th script of a folder carries the presets; 0: none
    QStringList presets{QStringLiteral("start"), QStringLiteral("stop")};
    bool countFolders = false; // whether folders count towards the total
};

inline ShellNode sampleScript(int folder, int index, const QStringList &args = {})
{
    return TestNodes::script(QStringLiteral("script %1-%2").arg(folder).arg(index),
                             QStringLiteral("/opt/s/%1/%2.sh").arg(folder).arg(index),
                             args.isEmpty() ? std::nullopt : std::optional<QStringList>(args));
}

// `count` scripts (or nodes, with countFolders) in top-level folders.
inline QList<ShellNode> sampleForest(int count, const SampleShape &shape = {})
{
    QList<ShellNode> roots;
    for (int made = 0, f = 0; made < count; ++f) {
        if (shape.countFolders)
            ++made;
        QList<ShellNode> children;
        for (int i = 0; i < shape.scriptsPerFolder && made < count; ++i, ++made) {
            const bool withPresets = shape.presetEvery > 0 && i % shape.presetEvery == 0;
            children.append(sampleScript(f, i, withPresets ? shape.presets : QStringList()));
        }
        roots.append(TestNodes::folder(QStringLiteral("folder %1").arg(f), std::move(children)));
    }
    return roots;
}
