#include "window/WindowNotice.h"

#include "language/LanguageManager.h"
#include "ui/ElidedLabel.h"
#include "ui/IconMap.h"
#include "ui/TextStyle.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>

WindowNotice::WindowNotice(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("windowNotice"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *line = new QHBoxLayout(this);
    line->setContentsMargins(TextStyle::pixels(12), TextStyle::pixels(5), TextStyle::pixels(8),
                             TextStyle::pixels(5));
    line->setSpacing(TextStyle::pixels(8));
    m_text = new ElidedLabel(Qt::ElideMiddle, this);
    m_text->setObjectName(QStringLiteral("windowNoticeText"));
    line->addWidget(m_text, 1);
    m_undo = new QPushButton(this);
    m_undo->setObjectName(QStringLiteral("windowNoticeUndo"));
    m_undo->setAutoDefault(false);
    m_undo->setIcon(IconMap::icon(QStringLiteral("arrow.uturn.backward")));
    line->addWidget(m_undo);
    connect(m_undo, &QPushButton::clicked, this, [this] {
        const std::function<void()> action = std::move(m_action);
        dismiss();
        if (action)
            action();
    });
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &WindowNotice::dismiss);
    connect(&LanguageManager::shared(), &LanguageManager::languageChanged, this,
            &WindowNotice::retranslate);
    retranslate();
    hide();
}

void WindowNotice::retranslate()
{
    m_undo->setText(LanguageManager::localized(QStringLiteral("撤销")));
    m_undo->setAccessibleName(m_undo->text());
}

void WindowNotice::post(const QString &text, std::function<void()> undo)
{
    m_action = std::move(undo);
    m_text->setFullText(text);
    setAccessibleName(text);
    m_undo->setVisible(bool(m_action));
    show();
    m_timer.start(m_action ? undoMilliseconds : shortMilliseconds);
    // Said aloud by a screen reader, without moving the focus.
    QAccessibleEvent event(m_text, QAccessible::Alert);
    QAccessible::updateAccessibility(&event);
}

void WindowNotice::dismiss()
{
    m_timer.stop();
    m_action = nullptr;
    hide();
}

void WindowNotice::withdrawUndo()
{
    if (!m_action)
        return;
    m_action = nullptr;
    m_undo->hide();
}

QString WindowNotice::text() const
{
    return isHidden() ? QString() : m_text->fullText();
}

bool WindowNotice::offersUndo() const
{
    return !isHidden() && bool(m_action);
}

void WindowNotice::paintEvent(QPaintEvent *)
{
    // Taken from the palette at every paint, so it follows light and dark.
    QPainter painter(this);
    QColor fill = TextStyle::accent(palette());
    fill.setAlphaF(0.12f);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.fillRect(rect(), fill);
    QColor rule = palette().color(QPalette::WindowText);
    rule.setAlphaF(0.12f);
    painter.fillRect(QRect(0, 0, width(), 1), rule);
}
