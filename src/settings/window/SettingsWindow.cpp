#include "settings/window/SettingsWindow.h"

#include "language/LanguageManager.h"
#include "settings/window/SettingsView.h"
#include "ui/IconMap.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeySequence>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
// Until the window manager has framed the window once: room for a title bar.
constexpr QMargins assumedFrame{1, 38, 1, 1};
} // namespace

SettingsWindow::SettingsWindow(ShellStore &store, QWidget *parent)
    : SettingsWindow(store, SettingsServices::standard(), parent)
{}

SettingsWindow::SettingsWindow(ShellStore &store, SettingsServices services, QWidget *parent)
    : QWidget(parent, Qt::Window), m_store(store), m_services(std::move(services))
{
    setObjectName(QStringLiteral("settings"));
    setWindowIcon(IconMap::applicationIcon());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    setFixedSize(contentSize);
    for (const QKeySequence &keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, &QWidget::close);
    }
    rebuild();
    connect(&LanguageManager::shared(), &LanguageManager::languageChanged, this,
            &SettingsWindow::rebuild);
}

SettingsView *SettingsWindow::view() const
{
    return m_view.data();
}

QRect SettingsWindow::placement(QSize wanted, const QRect &available, const QMargins &frame)
{
    const QSize room = available.size().shrunkBy(frame);
    QRect content(QPoint(), wanted.boundedTo(room).expandedTo(QSize(1, 1)));
    QRect framed = content.marginsAdded(frame);
    framed.moveCenter(available.center());
    // Centring an odd size may leave it a pixel out.
    framed.moveLeft(
        qBound(available.left(), framed.left(), available.right() - framed.width() + 1));
    framed.moveTop(qBound(available.top(), framed.top(), available.bottom() - framed.height() + 1));
    return framed.marginsRemoved(frame);
}

void SettingsWindow::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        fitToScreen();
    QWidget::showEvent(event);
}

void SettingsWindow::fitToScreen()
{
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = this->screen();
    if (!screen)
        return;
    const QRect frameRect = frameGeometry();
    const QRect inner = geometry();
    const bool framed = isVisible() && frameRect != inner;
    const QMargins frame =
        framed ? QMargins(inner.left() - frameRect.left(), inner.top() - frameRect.top(),
                          frameRect.right() - inner.right(), frameRect.bottom() - inner.bottom())
               : assumedFrame;
    const QRect place = placement(contentSize, screen->availableGeometry(), frame);
    setFixedSize(place.size());
    // move() places the frame, where there is one.
    move(place.topLeft() - QPoint(frame.left(), frame.top()));
}

void SettingsWindow::rebuild()
{
    setWindowTitle(LanguageManager::localized(QStringLiteral("设置")));
    const SettingsTab tab = m_view ? m_view->selection() : SettingsTab::general;
    const bool hadFocus = m_view && m_view->isAncestorOf(focusWidget());
    // A keyboard user stays on the control they were on (the language row just chosen).
    const QString focusName = hadFocus ? focusWidget()->objectName() : QString();
    if (m_view) {
        m_view->hide();
        m_view->deleteLater();
    }
    m_view = new SettingsView(m_store, m_services, this);
    m_view->setObjectName(QStringLiteral("content"));
    m_view->setSelection(tab);
    layout()->addWidget(m_view);
    if (!hadFocus)
        return;
    QWidget *same = focusName.isEmpty() ? nullptr : m_view->findChild<QWidget *>(focusName);
    if (same && same->isVisibleTo(m_view))
        same->setFocus(Qt::OtherFocusReason);
    else
        m_view->setFocus();
}
