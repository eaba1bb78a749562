#include "window/ContentView.h"

#include "language/LanguageManager.h"
#include "library/EditHistory.h"
#include "library/ShellStore.h"
#include "settings/Preferences.h"
#include "ui/IconMap.h"
#include "ui/MainWindowManager.h"
#include "window/DetailView.h"
#include "window/NodeActions.h"
#include "window/SidebarColumn.h"
#include "window/SidebarTreeView.h"
#include "window/TrayMissingBanner.h"
#include "window/WindowNotice.h"
#include "window/WindowToolbar.h"

#include <QAction>
#include <QMenu>
#include <QShowEvent>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

ContentView::ContentView(ShellStore &store, RunController &runController, QWidget *parent)
    : QMainWindow(parent), m_store(store), m_runController(runController),
      m_history(std::make_unique<EditHistory>(store))
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
    m_sidebar = new SidebarColumn(m_store, *m_history, this);
    m_actions = new NodeActions(m_store, m_runController, *m_history, *m_sidebar, *this);
    m_splitter->addWidget(m_sidebar);
    m_splitter->addWidget(buildDetailColumn());
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({280, 680});
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    auto *centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);
    m_trayMissing = new TrayMissingBanner(central);
    centralLayout->addWidget(m_trayMissing);
    centralLayout->addWidget(m_splitter, 1);
    m_notice = new WindowNotice(central);
    centralLayout->addWidget(m_notice);
    m_actions->setNotice(m_notice);
    setCentralWidget(central);

    buildShortcuts();
    connectActions();
    connect(&LanguageManager::shared(), &LanguageManager::languageChanged, this,
            &ContentView::retranslate);
    retranslate();
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

    // The actions exist once the columns do, before any button can be pressed.
    WindowToolbar::Hooks hooks;
    hooks.newFolder = [this] { m_actions->addFolderAtTop(); };
    hooks.addScripts = [this] { m_actions->addScriptsWithPicker(); };
    hooks.importFolder = [this] { m_actions->importFolderWithPicker(); };
    hooks.pickConfig = [this] { return m_actions->presentConfigPicker(); };
    auto *commands = new WindowToolbar(*m_toolbar, m_store, Preferences::standard(),
                                       std::move(hooks), m_trailingSpace, m_done);
    connect(commands, &WindowToolbar::settingsRequested, this, &ContentView::settingsRequested);
}

void ContentView::buildShortcuts()
{
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
    // Where undo can be found, with its keys shown beside it.
    auto *editMenu = new QMenu(this);
    editMenu->setObjectName(QStringLiteral("editMenu"));
    editMenu->addActions({m_undo, m_redo});
    m_edit = new QAction(IconMap::icon(QStringLiteral("arrow.uturn.backward")), QString(), this);
    m_edit->setObjectName(QStringLiteral("editAction"));
    m_edit->setMenu(editMenu);
    m_toolbar->insertAction(m_trailingSpace, m_edit);
    if (auto *button = qobject_cast<QToolButton *>(m_toolbar->widgetForAction(m_edit))) {
        button->setObjectName(QStringLiteral("editActionButton"));
        button->setPopupMode(QToolButton::InstantPopup);
        button->setFocusPolicy(Qt::TabFocus);
    }
    const auto historyState = [this] {
        m_undo->setEnabled(m_history->canUndo());
        m_redo->setEnabled(m_history->canRedo());
    };
    connect(m_history.get(), &EditHistory::stateChanged, this, historyState);
    historyState();
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
    layout->addWidget(m_detail);
    return m_detailColumn;
}

void ContentView::connectActions()
{
    connect(m_sidebar, &SidebarColumn::selectionChanged, this, &ContentView::selectionChanged);
    connect(this, &ContentView::selectionChanged, m_detail, [this] {
        const std::optional<ShellNode> node = selectedNode();
        m_detail->showNode(node ? std::optional(node->id) : std::nullopt);
    });
    connect(m_sidebar, &SidebarColumn::renameRequested, m_actions, &NodeActions::beginRename);
    connect(m_sidebar, &SidebarColumn::noticeRequested, m_notice,
            [this](const QString &text) { m_notice->post(text); });
    connect(m_detail, &DetailView::pathCopied, m_notice,
            [this] { m_notice->post(LanguageManager::localized(QStringLiteral("已复制路径"))); });
    connect(m_sidebar, &SidebarColumn::runRequested, m_actions, &NodeActions::runFromRow);
    connect(m_sidebar, &SidebarColumn::deleteRequested, m_actions, &NodeActions::deleteSelection);
    connect(m_sidebar, &SidebarColumn::contextMenuRequested, m_actions, &NodeActions::contextMenu);
    connect(m_sidebar, &SidebarColumn::runMenuRequested, m_actions, &NodeActions::popUpRunMenu);
}

void ContentView::retranslate()
{
    m_toolbar->setWindowTitle(QStringLiteral("Orlenta"));
    // Qt's own button for the items a narrow window cannot show.
    if (auto *more = m_toolbar->findChild<QToolButton *>(QStringLiteral("qt_toolbar_ext_button"))) {
        more->setToolTip(LanguageManager::localized(QStringLiteral("更多工具")));
        more->setAccessibleName(more->toolTip());
    }
    m_done->setText(LanguageManager::localized(QStringLiteral("完成")));
#if defined(Q_OS_MACOS)
    m_done->setToolTip(LanguageManager::localized(QStringLiteral("发布到菜单栏并关闭窗口")));
#else
    m_done->setToolTip(LanguageManager::localized(QStringLiteral("发布到托盘菜单并关闭窗口")));
#endif
    m_undo->setText(LanguageManager::localized(QStringLiteral("撤销")));
    m_redo->setText(LanguageManager::localized(QStringLiteral("重做")));
    m_edit->setText(LanguageManager::localized(QStringLiteral("编辑")));
    m_edit->setIconText(m_edit->text());
    m_edit->setToolTip(m_undo->text() + QStringLiteral(" / ") + m_redo->text());
}

void ContentView::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    MainWindowManager::shared().setWindow(this);
}

void ContentView::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        m_sidebar->recheckFiles();
}

QSet<QUuid> ContentView::selection() const
{
    return m_sidebar->selection();
}

std::optional<ShellNode> ContentView::selectedNode() const
{
    return m_sidebar->selectedNode();
}

std::optional<QUuid> ContentView::selectedFolderID() const
{
    return m_sidebar->selectedFolderID();
}

void ContentView::select(const QUuid &id)
{
    m_sidebar->select(id);
}

SidebarTreeView *ContentView::sidebar() const
{
    return m_sidebar->tree();
}

SidebarModel *ContentView::sidebarModel() const
{
    return m_sidebar->model();
}

SidebarDropHost *ContentView::dropHost() const
{
    return m_sidebar->dropHost();
}

void ContentView::setTrayMissing(bool missing)
{
    m_trayMissing->setVisible(missing);
}

void ContentView::done()
{
    m_store.setPublished(true);
    close();
}
