#include "palette/widgets/QuickRunPalette.h"

#include "language/LanguageManager.h"
#include "library/ShellStore.h"
#include "palette/widgets/QuickRunDelegate.h"
#include "palette/widgets/QuickRunModel.h"
#include "run/RunController.h"
#include "run/RunHistory.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

QuickRunPalette::QuickRunPalette(ShellStore &store, RunController &runController,
                                 RunHistory &history, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_store(store), m_runController(runController), m_history(history),
      m_field(new QLineEdit(this)), m_list(new QListView(this)), m_empty(new QLabel(this)),
      m_model(new QuickRunModel(this))
{
    setObjectName(QStringLiteral("quickRun"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    // A tiling compositor (sway) floats a window of fixed size, centred,
    // where it would tile any other; Wayland lets no app place its windows.
    setFixedSize(620, 400);
    m_dismiss.setSingleShot(true);
    m_dismiss.setInterval(dismissMilliseconds);
    connect(&m_dismiss, &QTimer::timeout, this, [this] {
        if (isVisible() && !isActiveWindow())
            hide();
    });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    m_field->setObjectName(QStringLiteral("quickRunField"));
    m_field->setClearButtonEnabled(true);
    QFont large = m_field->font();
    large.setPointSizeF(large.pointSizeF() * 1.25);
    m_field->setFont(large);
    m_field->installEventFilter(this);
    layout->addWidget(m_field);

    m_list->setObjectName(QStringLiteral("quickRunList"));
    m_list->setModel(m_model);
    m_list->setItemDelegate(new QuickRunDelegate(m_list));
    m_list->setUniformItemSizes(true);
    m_list->setFocusPolicy(Qt::NoFocus); // the field keeps the keyboard; arrows move the list
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setFrameShape(QFrame::NoFrame);
    layout->addWidget(m_list);

    m_empty->setObjectName(QStringLiteral("quickRunEmpty"));
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setWordWrap(true);
    m_empty->setForegroundRole(QPalette::PlaceholderText);
    m_empty->hide();
    layout->addWidget(m_empty, 1);

    connect(m_field, &QLineEdit::textChanged, this, &QuickRunPalette::refilter);
    connect(m_list, &QListView::clicked, this, [this] { activate(false); });
    connect(&m_store, &ShellStore::changed, this, [this] {
        m_indexStale = true;
        if (isVisible())
            refilter();
    });
    connect(&LanguageManager::shared(), &LanguageManager::languageChanged, this,
            &QuickRunPalette::retranslate);
    retranslate();
}

void QuickRunPalette::retranslate()
{
    const QString title = LanguageManager::localized(QStringLiteral("快速运行"));
    setWindowTitle(title);
    setAccessibleName(title);
    m_field->setPlaceholderText(
        LanguageManager::localized(QStringLiteral("输入脚本或参数的名称…")));
    m_field->setAccessibleName(LanguageManager::localized(QStringLiteral("搜索脚本")));
    m_list->setAccessibleName(LanguageManager::localized(QStringLiteral("匹配的脚本")));
    updateEmptyText();
}

void QuickRunPalette::updateEmptyText()
{
    const bool empty = m_model->rowCount() == 0;
    if (empty) {
        m_empty->setText(m_field->text().trimmed().isEmpty()
                             ? LanguageManager::localized(QStringLiteral("脚本库中还没有脚本"))
                             : LanguageManager::localized(QStringLiteral("没有匹配的脚本")));
    }
    m_list->setVisible(!empty);
    m_empty->setVisible(empty);
}

void QuickRunPalette::present()
{
    m_field->clear();
    refilter();
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        move(area.center().x() - width() / 2, area.top() + area.height() / 4);
    }
    m_announcePaint = true;
    update(); // paints again when it was open already
    show();
    raise();
    activateWindow();
    m_field->setFocus(Qt::OtherFocusReason);
}

void QuickRunPalette::refilter()
{
    if (m_indexStale) {
        m_index.rebuild(m_store.displayRoots());
        m_indexStale = false;
    }
    const QString pattern = m_field->text();
    // The recent runs only order an empty field; typing does not read the preferences.
    const QList<RunHistory::Entry> recent =
        pattern.trimmed().isEmpty() ? m_history.entries() : QList<RunHistory::Entry>();
    m_model->setHits(&m_index, m_index.search(pattern, recent, maxRows));
    if (m_model->rowCount() > 0)
        m_list->setCurrentIndex(m_model->index(0));
    updateEmptyText();
}

void QuickRunPalette::moveSelection(int delta)
{
    const int rows = m_model->rowCount();
    if (rows == 0)
        return;
    const int current = m_list->currentIndex().isValid() ? m_list->currentIndex().row() : 0;
    const int row = std::clamp(current + delta, 0, rows - 1);
    m_list->setCurrentIndex(m_model->index(row));
}

void QuickRunPalette::activate(bool inWindow)
{
    const QuickRunEntry *entry = m_model->entryAt(m_list->currentIndex().row());
    if (!entry)
        return;
    const QUuid id = entry->id;
    const std::optional<QString> preset = entry->preset;
    hide();
    if (inWindow) {
        Q_EMIT showInWindowRequested(id);
        return;
    }
    if (const std::optional<ShellNode> node = Forest::first(m_store.roots(), id))
        m_runController.run(*node, m_store, preset);
}

bool QuickRunPalette::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const int page = std::max(1, m_list->viewport()->height() / 30 - 1);
        switch (key->key()) {
        case Qt::Key_Escape:
            hide();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            activate(key->modifiers() & Qt::ControlModifier);
            return true;
        case Qt::Key_Down:
            moveSelection(1);
            return true;
        case Qt::Key_Up:
            moveSelection(-1);
            return true;
        case Qt::Key_PageDown:
            moveSelection(page);
            return true;
        case Qt::Key_PageUp:
            moveSelection(-page);
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void QuickRunPalette::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // Like a menu: clicking elsewhere dismisses it. A compositor may take
    // the focus away for a moment (sway does when an input device is added):
    // that alone does not.
    if (event->type() != QEvent::ActivationChange)
        return;
    if (isVisible() && !isActiveWindow())
        m_dismiss.start();
    else
        m_dismiss.stop();
}

void QuickRunPalette::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (m_announcePaint) {
        m_announcePaint = false;
        Q_EMIT presented();
    }
}
