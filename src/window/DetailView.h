#pragma once

#include "library/ShellNode.h"
#include "window/ScriptArgsEditor.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class CommandPreview;
class ElidedLabel;
class OutputPane;
class PathChip;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;
class QPushButton;
class QScrollArea;
class QStackedLayout;
class RunButton;
class RunController;
class ShellStore;

// The right-hand column of the management window: a welcome text while
// nothing is selected; otherwise the node's header with its run control,
// path, command preview and presets, above the run log.
class DetailView : public QWidget
{
    Q_OBJECT
public:
    DetailView(ShellStore &store, RunController &runController, QWidget *parent = nullptr);

    // The node to show, looked up in the store now and after every change of
    // the store; none, or an id that is not in the tree, shows the welcome.
    void showNode(std::optional<QUuid> id);
    std::optional<QUuid> shownNodeID() const;

    // How the preset editor writes; by default straight to the store.
    void setArgsWriter(ScriptArgsEditor::Writer writer);

    ScriptArgsEditor *argsEditor() const { return m_editor; }

Q_SIGNALS:
    // "复制路径" put a path on the clipboard.
    void pathCopied();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *makeEmptyPage();
    QWidget *makeNodePage();
    void refresh();
    void retranslate();
    void dropEditor();
    void showHeader(const ShellNode &node);
    void updatePreview(const ShellNode &node);
    void placeControls();
    void fitHeader();
    void runFromKeyboard();

    ShellStore &m_store;
    RunController &m_runController;
    std::optional<QUuid> m_requested;
    std::optional<ShellNode> m_node;
    ScriptArgsEditor::Writer m_argsWriter;

    QStackedLayout *m_pages = nullptr;
    QWidget *m_emptyPage = nullptr;
    QWidget *m_nodePage = nullptr;
    QLabel *m_emptyTitle = nullptr;
    QLabel *m_emptyText = nullptr;
    QScrollArea *m_headerScroll = nullptr;
    QLabel *m_tile = nullptr;
    ElidedLabel *m_name = nullptr;
    QLabel *m_summary = nullptr;
    QHBoxLayout *m_headerLine = nullptr;
    QHBoxLayout *m_controls = nullptr;
    RunButton *m_run = nullptr;
    QPushButton *m_reveal = nullptr;
    QPushButton *m_copy = nullptr;
    PathChip *m_chip = nullptr;
    QLabel *m_previewHeading = nullptr;
    CommandPreview *m_preview = nullptr;
    QVBoxLayout *m_editorSlot = nullptr;
    QPointer<ScriptArgsEditor> m_editor;
    QWidget *m_headerBlock = nullptr;
    OutputPane *m_output = nullptr;
};
