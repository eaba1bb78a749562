#include "library/EditHistory.h"

#include "library/ShellStore.h"

#include <utility>

EditHistory::EditHistory(ShellStore &store, int capacity, QObject *parent)
    : QObject(parent), m_store(store), m_capacity(qMax(1, capacity)), m_last(store.roots()),
      m_document(documentKey())
{
    connect(&m_store, &ShellStore::changed, this, &EditHistory::storeChanged);
    connect(&m_store, &ShellStore::adoptedOutsideVersion, this, [this] { m_outside = true; });
    connect(&m_store, &ShellStore::rolledBack, this, [this] { m_rolledBack = true; });
}

QString EditHistory::documentKey() const
{
    return uuidText(m_store.currentProfileID()) + u'\n' + m_store.currentDocumentPath();
}

void EditHistory::storeChanged()
{
    const QString document = documentKey();
    if (document != m_document || m_outside) {
        // Another document, or another program's version of this one: undoing
        // would write an earlier tree over it.
        m_outside = false;
        m_document = document;
        m_last = m_store.roots();
        clear();
        return;
    }
    if (std::exchange(m_rolledBack, false)) {
        // The change was not saved and is gone again: so is its step.
        if (!m_restoring && !m_undo.isEmpty() && m_store.roots() == m_undo.constLast()) {
            m_undo.removeLast();
            m_lastTypedKey.clear();
            Q_EMIT stateChanged();
        }
        m_last = m_store.roots();
        return;
    }
    // Equal lists that share their data compare at once; the flag, the sort
    // mode and the profiles change nothing here.
    if (m_store.roots() == m_last)
        return;
    const bool typedOn = !m_typingKey.isEmpty() && m_typingKey == m_lastTypedKey &&
                         !m_undo.isEmpty() && m_redo.isEmpty();
    if (!m_restoring && !(m_groupDepth > 0 && m_groupRecorded) && !typedOn) {
        m_undo.append(m_last);
        if (m_undo.size() > m_capacity)
            m_undo.removeFirst();
        m_redo.clear();
        m_groupRecorded = m_groupDepth > 0;
        m_lastTypedKey = m_typingKey;
        Q_EMIT stateChanged();
    } else if (typedOn && m_store.roots() == m_undo.constLast()) {
        // Typed back to where the step began (the field's own undo): no step left.
        m_undo.removeLast();
        m_lastTypedKey.clear();
        Q_EMIT stateChanged();
    }
    m_last = m_store.roots();
}

void EditHistory::restore(QList<QList<ShellNode>> &from, QList<QList<ShellNode>> &to)
{
    if (from.isEmpty())
        return;
    const QList<ShellNode> current = m_store.roots();
    to.append(current);
    m_lastTypedKey.clear();
    const QList<ShellNode> forest = from.takeLast();
    m_restoring = true;
    m_store.setRoots(forest);
    const bool saved = m_store.save();
    m_restoring = false;
    // Not written and taken back: the step is still there to take.
    if (!saved && !to.isEmpty() && m_store.roots() == current) {
        to.removeLast();
        from.append(forest);
    }
    Q_EMIT stateChanged();
}

void EditHistory::undo()
{
    restore(m_undo, m_redo);
}

void EditHistory::redo()
{
    restore(m_redo, m_undo);
}

void EditHistory::clear()
{
    m_lastTypedKey.clear();
    if (m_undo.isEmpty() && m_redo.isEmpty())
        return;
    m_undo.clear();
    m_redo.clear();
    Q_EMIT stateChanged();
}

EditHistory::Group::Group(EditHistory &history) : m_history(history)
{
    if (m_history.m_groupDepth++ == 0)
        m_history.m_groupRecorded = false;
}

EditHistory::Group::~Group()
{
    --m_history.m_groupDepth;
}

EditHistory::Typing::Typing(EditHistory &history, QString key) : m_history(history)
{
    m_history.m_typingKey = std::move(key);
}

EditHistory::Typing::~Typing()
{
    m_history.m_typingKey.clear();
}
