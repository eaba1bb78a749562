#pragma once

#include "library/ShellNode.h"

#include <QString>

// A directory tree taken in as one folder node: its subfolders and its
// script files, in file-manager order.
class FolderImport
{
public:
    // levelsLeft: how many levels may go below the imported folder.
    FolderImport(double createdAt, int levelsLeft);

    ShellNode tree(const QString &directory);
    // The directory went deeper than levelsLeft; the tree was cut short.
    bool cut() const { return m_cut; }

    // A script node named after the file, without its extension.
    static ShellNode scriptNode(const QString &path, double createdAt);
    // A file taken as a script: extension ".sh" or ".command" in any letter case.
    static bool isScriptFile(const QString &path);
    // As a path's last component is named: trailing slashes ignored.
    static QString lastPathComponent(const QString &path);

private:
    ShellNode folderTree(const QString &directory, const QString &name, int levelsLeft);

    double m_createdAt;
    int m_levelsLeft;
    bool m_cut = false;
};
