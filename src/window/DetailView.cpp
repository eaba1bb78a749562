#include "window/DetailView.h"

#include "language/LanguageManager.h"
#include "library/ShellStore.h"
#include "ui/ElidedLabel.h"
#include "ui/IconMap.h"
#include "ui/PathChip.h"
#include "ui/TextStyle.h"
#include "window/CommandPreview.h"
#include "window/NodeActions.h"
#include "window/OutputPane.h"
#include "window/RunButton.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace {
QPixmap tilePixmap(NodeKind kind, qreal dpr)
{
    const int side = TextStyle::pixels(36);
    QPixmap pixmap(QSize(side, side) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor accent = TextStyle::accent(QApplication::palette());
    QColor fill = accent;
    fill.setAlphaF(0.14f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    const qreal radius = TextStyle::pixels(9);
    painter.drawRoundedRect(QRectF(0, 0, side, side), radius, radius);
    const int iconSide = TextStyle::pixels(17);
    const QString symbol =
        kind == NodeKind::folder ? QStringLiteral("folder.fill") : QStringLiteral("terminal");
    const QPixmap icon = IconMap::pixmap(symbol, QSize(iconSide, iconSide), accent, dpr);
    const qreal offset = (side - iconSide) / 2.0;
    painter.drawPixmap(QPointF(offset, offset), icon);
    return pixmap;
}

// The style's own minimum width hides how little room it leaves beside a
// longer text ("File Manager", "ファイルマネージャ"): give it the room a short
// text gets.
void padToText(QPushButton *button)
{
    const int text = button->fontMetrics().horizontalAdvance(button->text());
    button->setMinimumWidth(text + 2 * TextStyle::pixels(12));
}

QPushButton *headerButton(const QString &objectName, QWidget *parent)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}
} // namespace

DetailView::DetailView(ShellStore &store, RunController &runController, QWidget *parent)
    : QWidget(parent), m_store(store), m_runController(runController)
{
    setObjectName(QStringLiteral("detailView"));
    m_pages = new QStackedLayout(this);
    m_pages->setContentsMargins(0, 0, 0, 0);
    m_emptyPage = makeEmptyPage();
    m_nodePage = makeNodePage();
    m_pages->addWidget(m_emptyPage);
    m_pages->addWidget(m_nodePage);
    m_pages->setCurrentWidget(m_emptyPage);

    // Within the pane only: the sidebar has its own Return, which never runs
    // a folder.
    for (const QKeySequence &key :
         {QKeySequence(Qt::Key_Return), QKeySequence(Qt::KeypadModifier | Qt::Key_Enter)}) {
        auto *returnKey = new QShortcut(key, this);
        returnKey->setContext(Qt::WidgetWithChildrenShortcut);
        connect(returnKey, &QShortcut::activated, this, &DetailView::runFromKeyboard);
    }

    retranslate();
    connect(&LanguageManager::shared(), &LanguageManager::languageChanged, this,
            &DetailView::retranslate);
    connect(&m_store, &ShellStore::changed, this, &DetailView::refresh);
}

QWidget *DetailView::makeEmptyPage()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("emptyDetail"));
    auto *column = new QVBoxLayout(page);
    column->setSpacing(TextStyle::pixels(16));
    column->addStretch(1);
    auto *icon = new QLabel(page);
    TextStyle::setTonedSymbol(icon, QStringLiteral("terminal"), TextStyle::pixels(48),
                              TextStyle::Tone::tertiary);
    column->addWidget(icon, 0, Qt::AlignHCenter);
    auto *title = new QLabel(page);
    m_emptyTitle = title;
    title->setObjectName(QStringLiteral("emptyDetailTitle"));
    title->setFont(TextStyle::font(13, QFont::Bold));
    title->setAlignment(Qt::AlignCenter);
    title->setWordWrap(true);
    column->addWidget(title);
    auto *text = new QLabel(page);
    m_emptyText = text;
    text->setObjectName(QStringLiteral("emptyDetailText"));
    text->setFont(TextStyle::font(10));
    text->setAlignment(Qt::AlignCenter);
    text->setWordWrap(true);
    TextStyle::setTone(text, TextStyle::Tone::secondary);
    column->addWidget(text);
    column->addStretch(1);
    return page;
}

QWidget *DetailView::makeNodePage()
{
    auto *page = new QWidget(this);
    page->setObjectName(QStringLiteral("detailNode"));
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_headerScroll = new QScrollArea(page);
    m_headerScroll->setObjectName(QStringLiteral("detailHeaderScroll"));
    m_headerScroll->setFrameShape(QFrame::NoFrame);
    // Its controls take the focus (Tab scrolls them into view), not the area.
    m_headerScroll->setFocusPolicy(Qt::NoFocus);
    m_headerScroll->setWidgetResizable(true);
    m_headerScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_headerBlock = new QWidget(m_headerScroll);
    m_headerBlock->installEventFilter(this);
    m_headerBlock->setObjectName(QStringLiteral("detailHeader"));
    auto *header = new QVBoxLayout(m_headerBlock);
    const int inset = TextStyle::pixels(16);
    header->setContentsMargins(inset, inset, inset, inset);
    header->setSpacing(TextStyle::pixels(12));

    auto *line = new QHBoxLayout;
    m_headerLine = line;
    line->setSpacing(TextStyle::pixels(12));
    m_tile = new QLabel(m_headerBlock);
    m_tile->setObjectName(QStringLiteral("nodeIconTile"));
    line->addWidget(m_tile, 0, Qt::AlignVCenter);

    auto *titles = new QVBoxLayout;
    titles->setSpacing(TextStyle::pixels(2));
    m_name = new ElidedLabel(Qt::ElideRight, m_headerBlock);
    m_name->setObjectName(QStringLiteral("nodeName"));
    m_name->setFont(TextStyle::font(20, QFont::Bold));
    m_name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    titles->addWidget(m_name);
    m_summary = new QLabel(m_headerBlock);
    m_summary->setObjectName(QStringLiteral("nodeSummary"));
    m_summary->setFont(TextStyle::font(10));
    TextStyle::setTone(m_summary, TextStyle::Tone::secondary);
    titles->addWidget(m_summary);
    line->addLayout(titles, 1);
    line->addSpacing(TextStyle::pixels(12) - line->spacing());

    auto *controls = new QHBoxLayout;
    m_controls = controls;
    controls->setSpacing(TextStyle::pixels(8));
    m_run = new RunButton(m_store, m_runController, m_headerBlock);
    controls->addWidget(m_run);
    m_reveal = headerButton(QStringLiteral("revealButton"), m_headerBlock);
    connect(m_reveal, &QPushButton::clicked, this, [this] {
        if (m_node)
            NodeActions::reveal(*m_node);
    });
    controls->addWidget(m_reveal);
    m_copy = headerButton(QStringLiteral("copyPathButton"), m_headerBlock);
    connect(m_copy, &QPushButton::clicked, this, [this] {
        if (!m_node)
            return;
        NodeActions::copyPath(*m_node);
        if (m_node->filePath)
            Q_EMIT pathCopied();
    });
    controls->addWidget(m_copy);
    // Under the name the buttons stay at the leading edge.
    controls->addStretch(1);
    line->addLayout(controls);
    header->addLayout(line);

    m_chip = new PathChip(m_headerBlock);
    header->addWidget(m_chip);

    m_previewHeading = new QLabel(
        LanguageManager::localized(QStringLiteral("运行时交给终端的命令")), m_headerBlock);
    m_previewHeading->setObjectName(QStringLiteral("commandPreviewHeading"));
    m_previewHeading->setFont(TextStyle::font(11, QFont::DemiBold));
    TextStyle::setTone(m_previewHeading, TextStyle::Tone::secondary);
    header->addWidget(m_previewHeading);
    m_preview = new CommandPreview(m_headerBlock);
    header->addWidget(m_preview);
    m_editorSlot = new QVBoxLayout;
    m_editorSlot->setContentsMargins(0, 0, 0, 0);
    header->addLayout(m_editorSlot);
    header->addStretch(1);

    m_headerScroll->setWidget(m_headerBlock);
    column->addWidget(m_headerScroll);

    m_output = new OutputPane(m_runController, page);
    column->addWidget(m_output, 1);
    return page;
}

void DetailView::retranslate()
{
    m_emptyTitle->setText(LanguageManager::localized(QStringLiteral("选择左侧的脚本或文件夹")));
#if defined(Q_OS_MACOS)
    m_emptyText->setText(LanguageManager::localized(
        QStringLiteral("新建文件夹、添加或拖入 shell 脚本（.sh / "
                       ".command），导入整个文件夹，\n在菜单栏中即可运行已添加的脚本。")));
#else
    m_emptyText->setText(LanguageManager::localized(
        QStringLiteral("新建文件夹、添加或拖入 shell 脚本（.sh），导入整个文件夹，\n"
                       "在托盘菜单中即可运行已添加的脚本。")));
#endif
#if defined(Q_OS_MACOS)
    m_reveal->setText(LanguageManager::localized(QStringLiteral("Finder")));
#else
    m_reveal->setText(LanguageManager::localized(QStringLiteral("文件管理器")));
    m_reveal->setToolTip(LanguageManager::localized(QStringLiteral("在文件管理器中显示")));
#endif
    m_reveal->setAccessibleName(m_reveal->text());
    m_copy->setText(LanguageManager::localized(QStringLiteral("复制路径")));
    m_copy->setAccessibleName(m_copy->text());
    padToText(m_reveal);
    padToText(m_copy);
    m_previewHeading->setText(LanguageManager::localized(QStringLiteral("运行时交给终端的命令")));
    m_preview->setAccessibleName(m_previewHeading->text());
    // Named before any node is shown; a node's own wording replaces it.
    m_run->setText(LanguageManager::localized(QStringLiteral("运行")));
    m_run->setAccessibleName(m_run->text());
    // The editor's texts are set when it is made: make it again.
    dropEditor();
    m_node.reset();
    refresh();
}

void DetailView::showNode(std::optional<QUuid> id)
{
    m_requested = id;
    refresh();
}

std::optional<QUuid> DetailView::shownNodeID() const
{
    return m_node ? std::optional(m_node->id) : std::nullopt;
}

void DetailView::setArgsWriter(ScriptArgsEditor::Writer writer)
{
    m_argsWriter = std::move(writer);
    if (m_editor && m_argsWriter)
        m_editor->setWriter(m_argsWriter);
}

void DetailView::refresh()
{
    std::optional<ShellNode> node;
    if (m_requested)
        node = Forest::first(m_store.roots(), *m_requested);
    if (!node) {
        dropEditor();
        m_node.reset();
        m_pages->setCurrentWidget(m_emptyPage);
        return;
    }
    const bool sameNode = m_node && m_node->id == node->id;
    m_node = node;
    showHeader(*node);
    if (sameNode && m_editor) {
        m_editor->followStore(*node);
    } else {
        dropEditor();
        if (node->kind == NodeKind::script) {
            m_editor = new ScriptArgsEditor(m_store, *node, m_headerBlock);
            if (m_argsWriter)
                m_editor->setWriter(m_argsWriter);
            m_editorSlot->addWidget(m_editor);
            m_editor->show();
        }
    }
    if (m_pages->currentWidget() != m_nodePage) {
        m_pages->setCurrentWidget(m_nodePage);
        QMetaObject::invokeMethod(this, &DetailView::fitHeader, Qt::QueuedConnection);
    }
}

void DetailView::dropEditor()
{
    if (!m_editor)
        return;
    // Later: the editor may be in the middle of one of its own signals.
    m_editor->hide();
    m_editor->deleteLater();
    m_editor = nullptr;
}

void DetailView::showHeader(const ShellNode &node)
{
    const bool folder = node.kind == NodeKind::folder;
    if (!m_tile->property("kind").isValid() || m_tile->property("kind").toInt() != int(node.kind)) {
        m_tile->setPixmap(tilePixmap(node.kind, devicePixelRatioF()));
        m_tile->setProperty("kind", int(node.kind));
    }
    m_name->setFullText(node.displayName());
    m_summary->setVisible(folder);
    if (folder) {
        const qsizetype items = node.children ? node.children->size() : 0;
        m_summary->setText(LanguageManager::localized(
            QStringLiteral("%@ 个脚本 · %@ 个子项"),
            {QString::number(node.collectScripts().size()), QString::number(items)}));
    }
    m_run->showNode(node);
    // Reveal and copy path stay enabled for a folder, where they do nothing.
    const bool hasPath = node.filePath && !node.filePath->isEmpty();
    const bool chip = !folder && hasPath;
    m_chip->setVisible(chip);
    if (chip)
        m_chip->setPath(*node.filePath);
    updatePreview(node);
}

void DetailView::updatePreview(const ShellNode &node)
{
    const bool show = node.kind == NodeKind::script && node.filePath && !node.filePath->isEmpty();
    m_previewHeading->setVisible(show);
    m_preview->setVisible(show);
    if (show)
        m_preview->showScript(node);
}

void DetailView::placeControls()
{
    // A narrow pane puts the buttons under the name rather than squeezing a
    // long name to a few letters.
    auto *header = static_cast<QVBoxLayout *>(m_headerBlock->layout());
    const QMargins margins = header->contentsMargins();
    const int beside = m_headerScroll->viewport()->width() - margins.left() - margins.right() -
                       m_tile->sizeHint().width() - 2 * TextStyle::pixels(12) -
                       m_controls->sizeHint().width();
    const int wanted = qMin(m_name->sizeHint().width(),
                            QFontMetrics(m_name->font()).horizontalAdvance(QString(8, u'M')));
    const bool below = beside < wanted;
    if (below == (m_controls->parent() == header))
        return;
    (below ? m_headerLine : static_cast<QBoxLayout *>(header))->removeItem(m_controls);
    m_controls->setParent(nullptr);
    if (below)
        header->insertLayout(1, m_controls);
    else
        m_headerLine->addLayout(m_controls);
}

void DetailView::fitHeader()
{
    // Measured behind the welcome page, the header has no editor; and a
    // hidden layout asks for no new fit once the page is back.
    if (m_pages->currentWidget() != m_nodePage)
        return;
    placeControls();
    // The header takes what it needs, and at most three fifths of the pane
    // (many presets scroll), so the log always keeps a part of it.
    QLayout *layout = m_headerBlock->layout();
    const int width = m_headerScroll->viewport()->width();
    const int wanted = layout->hasHeightForWidth() ? layout->totalHeightForWidth(width)
                                                   : layout->totalSizeHint().height();
    const int height = qMin(wanted, qMax(120, this->height() * 3 / 5));
    if (m_headerScroll->height() != height)
        m_headerScroll->setFixedHeight(height);
}

bool DetailView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_headerBlock && event->type() == QEvent::LayoutRequest)
        QMetaObject::invokeMethod(this, &DetailView::fitHeader, Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

void DetailView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ApplicationPaletteChange && m_node) {
        // The tile is painted in the accent of the palette it was made with.
        m_tile->setProperty("kind", QVariant());
        showHeader(*m_node);
    }
}

void DetailView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitHeader();
}

void DetailView::runFromKeyboard()
{
    if (m_node && m_pages->currentWidget() == m_nodePage)
        m_run->runFromKeyboard();
}
