#pragma once

#include "library/ShellNode.h"
#include "window/ArgRow.h"

#include <QHash>
#include <QWidget>

#include <functional>

class QLineEdit;
class QVBoxLayout;
class ShellStore;

// The argument presets of one script: a field per line, written back to the
// store on every keystroke, addition and removal. The lines keep exactly what
// was typed while the same script stays shown; the store keeps them cleaned.
class ScriptArgsEditor : public QWidget
{
    Q_OBJECT
public:
    // Where the lines are written: the store's setArgs, or the window, which
    // merges typing for its undo. typedRow: the line a keystroke changed; null
    // for an addition or removal.
    using Writer =
        std::function<void(const QUuid &id, const QStringList &args, const QUuid &typedRow)>;

    ScriptArgsEditor(ShellStore &store, const ShellNode &node, QWidget *parent = nullptr);

    void setWriter(Writer writer) { m_writer = std::move(writer); }

    const QUuid &nodeID() const { return m_node.id; }
    const QList<ArgRow> &rows() const { return m_rows; }

    // Writes the lines' texts back, unchanged and in order.
    void persist(const QUuid &typedRow = QUuid());

    // The node as the store now holds it. The lines are kept while the store
    // holds what they clean to; another change (an undo, another window, the
    // command line) loads them afresh.
    void followStore(const ShellNode &node);

    void addRow();
    void removeRow(const QUuid &id);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void focusLineAfter(QObject *field);
    void load(const std::optional<QStringList> &args);
    QWidget *makeLine(const ArgRow &row);
    static QStringList cleaned(const QStringList &args);

    ShellStore &m_store;
    ShellNode m_node;
    QList<ArgRow> m_rows;
    QHash<QUuid, QWidget *> m_lines;
    QVBoxLayout *m_linesLayout;
    Writer m_writer;
};
