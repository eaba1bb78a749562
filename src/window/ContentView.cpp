#include "window/ContentView.h"

#include "dragdrop/widgets/SidebarDropHost.h"
#include "dragdrop/widgets/TreeDropTable.h"
#include "language/LanguageManager.h"
#include "library/EditHistory.h"
#include "library/ShellStore.h"
#include "run/RunController.h"
#include "settings/Preferences.h"
#include "ui/FileReveal.h"
#include "ui/IconMap.h"
#include "ui/MainWindowManager.h"
#include "window/DetailView.h"
#include "window/FilePicker.h"
#include "window/RenameSheet.h"
#include "window/ScriptRunEntry.h"
#include "window/SidebarModel.h"
#include "window/SidebarTreeView.h"
#include "window/WindowToolbar.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QString revealText()
{
#ifdef Q_OS_MACOS
    return LanguageManager::localized(QStringLiteral("在 Finder 中显示"));
#else
    return LanguageManager::localized(QStringLiteral("在文件管理器中显示"));
#endif
}

QColor faded(const QPalette &palette, qreal alpha)
{
    QColor color = palette.color(QPalette::Text);
    color.setAlphaF(float(alpha));
    return color;
}

// The name a script is renamed from: its shown name without ".command" or ".sh".
QString renameStart(const ShellNode &node)
{
    if (node.kind == NodeKind::folder)
        return node.name;
    const QString shown = node.displayName();
    const QString lower = shown.toLower();
    if (lower.endsWith(QStringLiteral(".command")))
        return shown.chopped(8);
    if (lower.endsWith(QStringLiteral(".sh")))
        return shown.chopped(3);
    return shown;
}

} // namespace

ContentView::ContentView(ShellStore &store, RunController &runController, QWidget *parent)
    : QMainWindow(parent), m_store(store), m_runController(runController),
      m_history(std::make_unique<EditHistory>(store)),
      m_picker(std::make_unique<DialogFilePicker>())
{
    setObjectName(QStringLiteral("main"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Orlenta"));
    setWindowIcon(IconMap::applicationIcon());
    setMinimumSize(760, 520);
    resize(960, 640);

    buildToolbar();
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(buildSidebarColumn());
    m_splitter->addWidget(buildDetailColumn());
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({280, 680});
    setCentralWidget(m_splitter);

    m_undo = new QAction(this);
    m_undo->setObjectName(QStringLiteral("undo"));
    m_undo->setShortcuts(QKeySequence::Undo);
    connect(m_undo, &QAction::triggered, m_history.get(), &EditHistory::undo);
    m_redo = new QAction(this);
    m_redo->setObjectName(QStringLiteral("redo"));
    m_redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    connect(m_redo, &QAction::triggered, m_history.get(), &EditHistory::redo);
    auto *quickRun = new QAction(this);
    quickRun->setObjectName(QStringLiteral("quickRun"));
    quickRun->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    connect(quickRun, &QAction::triggered, this, &ContentView::quickRunRequested);
    addActions({m_undo, m_redo, quickRun});
    const auto historyState = [this] {
        m_undo->setEnabled(m_history->canUndo());
        m_redo->setEnabled(m_history->canRedo());
    };
    connect(m_history.get(), &EditHistory::stateChanged, this, historyState);
    historyState();

    connect(&m_store, &ShellStore::changed, this, &ContentView::storeChanged);
    connect(&LanguageManager::shared(), &LanguageManager::languageChanged, this,
            &ContentView::retranslate);
    retranslate();
    storeChanged();
}

ContentView::~ContentView() = default;

void ContentView::buildToolbar()
{
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    addToolBar(Qt::TopToolBarArea, m_toolbar);

    auto *space = new QWidget(m_toolbar);
    space->setObjectName(QStringLiteral("toolbarSpace"));
    space->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_trailingSpace = m_toolbar->addWidget(space);
    m_done = m_toolbar->addAction(IconMap::icon(QStringLiteral("checkmark")), QString());
    m_done->setObjectName(QStringLiteral("done"));
    connect(m_done, &QAction::triggered, this, &ContentView::done);

    WindowToolbar::Hooks hooks;
    hooks.addScripts = [this] { addScriptsWithPicker(); };
    hooks.importFolder = [this] { importFolderWithPicker(); };
    hooks.pickConfig = [this] { return m_picker->chooseConfig(this); };
    auto *commands = new WindowToolbar(*m_toolbar, m_store, Preferences::standard(),
                                       std::move(hooks), m_trailingSpace, m_done);
    connect(commands, &WindowToolbar::settingsRequested, this, &ContentView::settingsRequested);
}

QWidget *ContentView::buildSidebarColumn()
{
    auto *column = new QWidget(this);
    column->setObjectName(QStringLiteral("sidebarColumn"));
    column->setMinimumWidth(240);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->setSpacing(4);

    m_sidebarTitle = new QLabel(column);
    m_sidebarTitle->setObjectName(QStringLiteral("sidebarTitle"));
    m_sidebarTitle->setContentsMargins(12, 0, 12, 0);
    QFont titleFont = m_sidebarTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 0.9);
    m_sidebarTitle->setFont(titleFont);
    QPalette titlePalette = m_sidebarTitle->palette();
    titlePalette.setColor(QPalette::WindowText, faded(titlePalette, 0.6));
    m_sidebarTitle->setPalette(titlePalette);
    layout->addWidget(m_sidebarTitle);

    m_banner = new QFrame(column);
    m_banner->setObjectName(QStringLiteral("loadErrorBanner"));
    m_banner->setAutoFillBackground(true);
    QPalette bannerPalette = m_banner->palette();
    QColor warning(230, 160, 20);
    warning.setAlphaF(0.18f);
    bannerPalette.setColor(QPalette::Window, warning);
    m_banner->setPalette(bannerPalette);
    auto *bannerLayout = new QVBoxLayout(m_banner);
    bannerLayout->setContentsMargins(10, 8, 10, 8);
    m_bannerText = new QLabel(m_banner);
    m_bannerText->setObjectName(QStringLiteral("loadErrorText"));
    m_bannerText->setWordWrap(true);
    m_bannerText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bannerLayout->addWidget(m_bannerText);
    m_bannerReveal = new QPushButton(m_banner);
    m_bannerReveal->setObjectName(QStringLiteral("loadErrorReveal"));
    bannerLayout->addWidget(m_bannerReveal, 0, Qt::AlignLeft);
    connect(m_bannerReveal, &QPushButton::clicked, this, [this] {
        FileReveal::showInFileManager(
            m_store.movedAsidePath().value_or(m_store.currentDocumentPath()));
    });
    m_banner->hide();
    layout->addWidget(m_banner);

    m_dropHost = new SidebarDropHost(column);
    m_tree = new SidebarTreeView(m_dropHost);
    m_model = new SidebarModel(m_tree);
    m_tree->setModel(m_model);
    m_dropHost->setContent(m_tree);
    layout->addWidget(m_dropHost, 1);

    m_dropHost->registry = &m_rowRegistry;
    m_dropHost->layoutRows = [this] { refreshRowRegistry(); };
    m_dropHost->onExited = [this] { updateHighlight(std::nullopt); };
    m_dropHost->onHover = [this](const std::optional<DropTarget> &t) { updateHighlight(t); };
    m_dropHost->onFiles = [this](const DropTarget &t, const QList<QUrl> &urls) {
        processDroppedFiles(urls, t);
    };
    m_dropHost->onNode = [this](const DropTarget &t, const QUuid &id) { applyNodeDrop(t, id); };
    m_dropHost->resolveDraggedIsFolder = [this](const QUuid &id) {
        const std::optional<ShellNode> node = Forest::first(m_store.roots(), id);
        return node && node->kind == NodeKind::folder;
    };
    m_dropHost->onBackgroundTap = [this] {
        m_tree->clearSelection();
        if (!m_selection.isEmpty()) {
            m_selection.clear();
            Q_EMIT selectionChanged();
        }
    };

    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ContentView::viewSelectionChanged);
    connect(m_tree, &QTreeView::expanded, this, [this](const QModelIndex &index) {
        m_expanded.insert(index.data(SidebarModel::NodeIDRole).toUuid());
    });
    connect(m_tree, &QTreeView::collapsed, this, [this](const QModelIndex &index) {
        m_expanded.remove(index.data(SidebarModel::NodeIDRole).toUuid());
    });
    connect(m_tree, &SidebarTreeView::renameRequested, this, [this](const QModelIndex &index) {
        beginRename(index.data(SidebarModel::NodeIDRole).toUuid());
    });
    connect(m_tree, &SidebarTreeView::deleteRequested, this, &ContentView::deleteSelection);
    connect(m_tree, &SidebarTreeView::contextMenuRequested, this,
            [this](const QModelIndex &index, const QPoint &globalPos) {
                contextMenu(index.data(SidebarModel::NodeIDRole).toUuid(), globalPos);
            });
    connect(m_tree, &SidebarTreeView::runGlyphPressed, this,
            [this](const QModelIndex &index, const QPoint &globalPos) {
                popUpRunMenu(index.data(SidebarModel::NodeIDRole).toUuid(), globalPos);
            });
    return column;
}

QWidget *ContentView::buildDetailColumn()
{
    m_detailColumn = new QWidget(this);
    m_detailColumn->setObjectName(QStringLiteral("detailColumn"));
    auto *layout = new QVBoxLayout(m_detailColumn);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_detail = new DetailView(m_store, m_runController, m_detailColumn);
    m_detail->setArgsWriter(
        [this](const QUuid &id, const QStringList &args, const QUuid &typedRow) {
            if (typedRow.isNull()) {
                m_store.setArgs(id, args);
                return;
            }
            EditHistory::Typing typing(*m_history, uuidText(id) + u'/' + uuidText(typedRow));
            m_store.setArgs(id, args);
        });
    connect(this, &ContentView::selectionChanged, m_detail, [this] {
        const std::optional<ShellNode> node = selectedNode();
        m_detail->showNode(node ? std::optional(node->id) : std::nullopt);
    });
    layout->addWidget(m_detail);
    return m_detailColumn;
}

void ContentView::retranslate()
{
    const QString library = LanguageManager::localized(QStringLiteral("脚本库"));
    m_sidebarTitle->setText(library);
    m_tree->setAccessibleName(library);
    m_toolbar->setWindowTitle(QStringLiteral("Orlenta"));
    // Qt's own button for the items a narrow window cannot show.
    if (auto *more = m_toolbar->findChild<QToolButton *>(QStringLiteral("qt_toolbar_ext_button"))) {
        more->setToolTip(LanguageManager::localized(QStringLiteral("更多工具")));
        more->setAccessibleName(more->toolTip());
    }
    m_done->setText(LanguageManager::localized(QStringLiteral("完成")));
    m_done->setToolTip(LanguageManager::localized(QStringLiteral("发布到菜单栏并关闭窗口")));
    m_undo->setText(LanguageManager::localized(QStringLiteral("撤销")));
    m_redo->setText(LanguageManager::localized(QStringLiteral("重做")));
    m_bannerReveal->setText(revealText());
    refreshBanner();
}

void ContentView::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    MainWindowManager::shared().setWindow(this);
}

// Store and model.

void ContentView::storeChanged()
{
    const std::optional<ShellNode> before = selectedNode();
    m_syncing = true;
    m_model->setRoots(m_store.displayRoots());
    // Rows that left and came back (a move to another folder, an undo) open
    // as they were.
    for (const QUuid &id : std::as_const(m_expanded)) {
        const QModelIndex index = m_model->indexOf(id);
        if (index.isValid() && !m_tree->isExpanded(index))
            m_tree->setExpanded(index, true);
    }
    applySelectionToView();
    m_syncing = false;
    m_tree->setInsertionLineShown(m_store.sortMode() == SortMode::custom);
    // A save moves an unreadable document aside after the change is announced.
    QTimer::singleShot(0, this, &ContentView::refreshBanner);
    const std::optional<ShellNode> after = selectedNode();
    if (before.has_value() != after.has_value() || (before && before->id != after->id))
        Q_EMIT selectionChanged();
}

void ContentView::refreshBanner()
{
    const std::optional<QString> &error = m_store.lastLoadError();
    m_banner->setVisible(error.has_value());
    if (!error)
        return;
    const QString path = m_store.movedAsidePath().value_or(m_store.currentDocumentPath());
    m_bannerText->setText(
        LanguageManager::localized(QStringLiteral("无法读取此配置文件，原文件保留在：%@"), {path}));
    m_banner->setAccessibleName(m_bannerText->text());
}

void ContentView::refreshRowRegistry()
{
    QList<RowFrame> rows;
    for (const QModelIndex &index : TreeDropTable::laidOutRows(m_tree)) {
        const ShellNode *node = m_model->node(index);
        if (!node)
            continue;
        const QRect rect = m_tree->visualRect(index);
        const QPoint topLeft = m_tree->viewport()->mapTo(m_dropHost, rect.topLeft());
        rows.append(RowFrame{node->id, node->kind == NodeKind::folder, m_model->parentID(index),
                             QRectF(QRect(topLeft, rect.size()))});
    }
    m_rowRegistry.setRows(rows);
}

const RowFrameRegistry &ContentView::rowRegistry()
{
    refreshRowRegistry();
    return m_rowRegistry;
}

const SidebarHighlight &ContentView::highlight() const
{
    return m_tree->highlight();
}

// Selection.

void ContentView::viewSelectionChanged()
{
    if (m_syncing)
        return; // rows that went with an edit stay selected
    QSet<QUuid> ids;
    for (const QModelIndex &index : m_tree->selectionModel()->selectedRows())
        ids.insert(index.data(SidebarModel::NodeIDRole).toUuid());
    if (ids == m_selection)
        return;
    m_selection = ids;
    Q_EMIT selectionChanged();
}

void ContentView::applySelectionToView()
{
    QItemSelection wanted;
    for (const QUuid &id : std::as_const(m_selection)) {
        const QModelIndex index = m_model->indexOf(id);
        if (index.isValid())
            wanted.select(index, index);
    }
    const QItemSelection current = m_tree->selectionModel()->selection();
    if (current.indexes().size() == wanted.indexes().size()) {
        bool same = true;
        for (const QModelIndex &index : wanted.indexes())
            same = same && current.contains(index);
        if (same)
            return;
    }
    m_tree->selectionModel()->select(wanted, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
}

std::optional<ShellNode> ContentView::selectedNode() const
{
    if (m_selection.isEmpty())
        return std::nullopt;
    // With several rows selected the current one speaks for them.
    QUuid id = *m_selection.cbegin();
    const QModelIndex current = m_tree->currentIndex();
    if (current.isValid()) {
        const QUuid currentID = current.data(SidebarModel::NodeIDRole).toUuid();
        if (m_selection.contains(currentID))
            id = currentID;
    }
    return Forest::first(m_store.roots(), id);
}

std::optional<QUuid> ContentView::selectedFolderID() const
{
    const std::optional<ShellNode> node = selectedNode();
    if (!node)
        return std::nullopt;
    if (node->kind == NodeKind::folder)
        return node->id;
    return Forest::parentID(m_store.roots(), node->id);
}

void ContentView::select(const QUuid &id)
{
    const QModelIndex index = m_model->indexOf(id);
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        m_tree->setExpanded(up, true);
    m_syncing = true;
    m_selection = {id};
    if (index.isValid()) {
        m_tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
        m_tree->scrollTo(index);
    } else {
        m_tree->clearSelection();
    }
    m_syncing = false;
    Q_EMIT selectionChanged();
}

// Toolbar actions and pickers.

void ContentView::setFilePicker(std::unique_ptr<FilePicker> picker)
{
    if (picker)
        m_picker = std::move(picker);
}

QStringList ContentView::presentScriptPicker()
{
    QStringList scripts;
    for (const QString &path : m_picker->chooseScripts(this))
        if (ShellStore::isScriptFileName(path))
            scripts.append(path);
    return scripts;
}

std::optional<QString> ContentView::presentFolderPicker()
{
    return m_picker->chooseFolder(this);
}

void ContentView::addFolderAtTop()
{
    m_store.addFolder(std::nullopt, QString());
}

void ContentView::addScriptsWithPicker()
{
    const std::optional<QUuid> folder = selectedFolderID();
    const QStringList paths = presentScriptPicker();
    EditHistory::Group group(*m_history);
    for (const QString &path : paths)
        m_store.addScript(folder, path);
    if (folder && !paths.isEmpty())
        m_tree->setExpanded(m_model->indexOf(*folder), true);
}

void ContentView::importFolderWithPicker()
{
    const std::optional<QUuid> folder = selectedFolderID();
    if (const std::optional<QString> directory = presentFolderPicker()) {
        m_store.importFolder(*directory, folder);
        if (folder)
            m_tree->setExpanded(m_model->indexOf(*folder), true);
    }
}

// Row actions.

void ContentView::runScript(const ShellNode &node, std::optional<QString> arg)
{
    m_runController.run(node, m_store, std::move(arg));
}

void ContentView::deleteNode(const QUuid &id)
{
    m_store.setRoots(Forest::removing(m_store.roots(), id));
    m_store.save();
}

void ContentView::deleteSelection()
{
    if (m_selection.isEmpty())
        return;
    QList<ShellNode> forest = m_store.roots();
    for (const QUuid &id : std::as_const(m_selection))
        forest = Forest::removing(forest, id);
    if (forest == m_store.roots())
        return;
    m_store.setRoots(forest);
    m_store.save();
}

void ContentView::beginRename(const QUuid &id)
{
    const std::optional<ShellNode> node = Forest::first(m_store.roots(), id);
    if (!node)
        return;
    m_renameTarget = id;
    m_renameText = renameStart(*node);
    if (m_renameSheet)
        m_renameSheet->close();
    m_renameSheet = new RenameSheet(this);
    m_renameSheet->setAttribute(Qt::WA_DeleteOnClose);
    m_renameSheet->setText(m_renameText);
    connect(m_renameSheet, &QDialog::finished, this,
            [this](int result) { finishRename(result == QDialog::Accepted); });
    m_renameSheet->open();
}

void ContentView::finishRename(bool accepted)
{
    if (!m_renameSheet)
        return;
    m_renameText = m_renameSheet->text();
    if (accepted && m_renameTarget)
        m_store.rename(*m_renameTarget, ShellStore::blankTrimmed(m_renameText));
}

bool ContentView::showRename() const
{
    return m_renameSheet && m_renameSheet->isVisible();
}

void ContentView::reveal(const ShellNode &node)
{
    if (node.filePath)
        FileReveal::showInFileManager(*node.filePath);
}

void ContentView::copyPath(const ShellNode &node)
{
    if (node.filePath)
        QGuiApplication::clipboard()->setText(*node.filePath);
}

QMenu *ContentView::contextMenu(const QUuid &id, const QPoint &globalPos)
{
    const std::optional<ShellNode> found = Forest::first(m_store.roots(), id);
    if (!found)
        return nullptr;
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("rowMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // Each item looks the node up again when chosen: the tree may have changed.
    const auto add = [this, menu, id](const QString &name, const QString &text,
                                      std::function<void(const ShellNode &)> act) {
        QAction *action = menu->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, [this, id, act = std::move(act)] {
            if (const std::optional<ShellNode> node = Forest::first(m_store.roots(), id))
                act(*node);
        });
    };
    if (found->kind == NodeKind::script) {
        add(QStringLiteral("run"), LanguageManager::localized(QStringLiteral("运行")),
            [this](const ShellNode &node) { runScript(node, std::nullopt); });
        add(QStringLiteral("reveal"), revealText(),
            [this](const ShellNode &node) { reveal(node); });
        add(QStringLiteral("copyPath"), LanguageManager::localized(QStringLiteral("复制路径")),
            [this](const ShellNode &node) { copyPath(node); });
    } else {
        add(QStringLiteral("newSubfolder"),
            LanguageManager::localized(QStringLiteral("新建子文件夹")),
            [this](const ShellNode &node) {
                m_store.addFolder(node.id, QString());
                m_tree->setExpanded(m_model->indexOf(node.id), true);
            });
        add(QStringLiteral("addScripts"), LanguageManager::localized(QStringLiteral("添加脚本…")),
            [this](const ShellNode &node) {
                const QStringList paths = presentScriptPicker();
                EditHistory::Group group(*m_history);
                for (const QString &path : paths)
                    m_store.addScript(node.id, path);
                if (!paths.isEmpty())
                    m_tree->setExpanded(m_model->indexOf(node.id), true);
            });
        add(QStringLiteral("importFolder"),
            LanguageManager::localized(QStringLiteral("导入文件夹…")),
            [this](const ShellNode &node) {
                if (const std::optional<QString> directory = presentFolderPicker()) {
                    m_store.importFolder(*directory, node.id);
                    m_tree->setExpanded(m_model->indexOf(node.id), true);
                }
            });
        add(QStringLiteral("runAll"), LanguageManager::localized(QStringLiteral("运行全部")),
            [this](const ShellNode &node) { runScript(node, std::nullopt); });
    }
    menu->addSeparator();
    add(QStringLiteral("rename"), LanguageManager::localized(QStringLiteral("重命名")),
        [this](const ShellNode &node) { beginRename(node.id); });
    add(QStringLiteral("delete"), LanguageManager::localized(QStringLiteral("删除")),
        [this](const ShellNode &node) { deleteNode(node.id); });
    // The destructive entry in red, as the platform's menus mark it.
    if (QAction *remove = menu->findChild<QAction *>(QStringLiteral("delete")))
        remove->setIcon(IconMap::pixmap(QStringLiteral("minus.circle.fill"), QSize(16, 16),
                                        QColor(215, 58, 73), devicePixelRatioF()));
    menu->popup(globalPos);
    return menu;
}

QMenu *ContentView::popUpRunMenu(const QUuid &id, const QPoint &globalPos)
{
    const std::optional<ShellNode> node = Forest::first(m_store.roots(), id);
    if (!node)
        return nullptr;
    // The row's script runs, whichever row is selected.
    m_runEntry = std::make_unique<ScriptRunEntry>(
        *node, m_selection.contains(id), [this, id](const QString &preset) {
            if (const std::optional<ShellNode> script = Forest::first(m_store.roots(), id))
                runScript(*script, preset);
        });
    return m_runEntry->popUpMenu(m_tree->viewport(), globalPos);
}

// Drops.

void ContentView::updateHighlight(const std::optional<DropTarget> &target)
{
    SidebarHighlight highlight;
    if (target) {
        switch (target->kind) {
        case DropTarget::Kind::folder:
            highlight.folderTargeted = target->id;
            break;
        case DropTarget::Kind::before:
            highlight.siblingTargeted = target->id;
            break;
        case DropTarget::Kind::root:
            highlight.rootTargeted = true;
            break;
        }
    }
    m_tree->setHighlight(highlight);
}

void ContentView::processDroppedFiles(const QList<QUrl> &urls, const DropTarget &target)
{
    updateHighlight(std::nullopt);
    EditHistory::Group group(*m_history);
    m_store.applyFileDrop(urls, target);
    if (target.kind == DropTarget::Kind::folder)
        m_tree->setExpanded(m_model->indexOf(target.id), true);
}

void ContentView::applyNodeDrop(const DropTarget &target, const QUuid &draggedID)
{
    updateHighlight(std::nullopt);
    m_store.applyNodeDrop(draggedID, target);
}

void ContentView::done()
{
    m_store.setPublished(true);
    close();
}
