#pragma once

#include "library/ShellNode.h"

#include <QList>
#include <QObject>
#include <QUuid>

class ShellStore;

// Undo and redo of tree edits. It watches the store, so every edit through a
// store operation is recorded, whoever makes it; undoing puts the earlier
// forest back and saves it like any edit. Another document clears it.
class EditHistory : public QObject
{
    Q_OBJECT
public:
    explicit EditHistory(ShellStore &store, int capacity = 50, QObject *parent = nullptr);

    bool canUndo() const { return !m_undo.isEmpty(); }
    bool canRedo() const { return !m_redo.isEmpty(); }
    qsizetype undoCount() const { return m_undo.size(); }
    void undo();
    void redo();
    void clear();

    // Edits made while a group is open are undone as one (a drop of several
    // files, the deletion of several rows).
    class Group
    {
    public:
        explicit Group(EditHistory &history);
        ~Group();
        Group(const Group &) = delete;
        Group &operator=(const Group &) = delete;

    private:
        EditHistory &m_history;
    };

    // An edit made while a typing scope is open joins the step before it when
    // that step was typed with the same key and nothing came between, as text
    // editors merge typing: one undo takes back a whole word, not a letter.
    class Typing
    {
    public:
        Typing(EditHistory &history, QString key);
        ~Typing();
        Typing(const Typing &) = delete;
        Typing &operator=(const Typing &) = delete;

    private:
        EditHistory &m_history;
    };

Q_SIGNALS:
    void stateChanged();

private:
    void storeChanged();
    void restore(QList<QList<ShellNode>> &from, QList<QList<ShellNode>> &to);
    QString documentKey() const;

    ShellStore &m_store;
    int m_capacity;
    QList<ShellNode> m_last;
    QString m_document;
    QList<QList<ShellNode>> m_undo;
    QList<QList<ShellNode>> m_redo;
    int m_groupDepth = 0;
    bool m_groupRecorded = false;
    bool m_restoring = false;
    bool m_outside = false;
    bool m_rolledBack = false;
    QString m_typingKey;    // of the edit being made
    QString m_lastTypedKey; // of the newest undo step, empty unless typed
};
