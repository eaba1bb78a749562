#include "ui/PathChip.h"

#include "language/LanguageManager.h"
#include "ui/ElidedLabel.h"
#include "ui/IconMap.h"
#include "ui/TextStyle.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>

PathChip::PathChip(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("pathChip"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(TextStyle::pixels(9), TextStyle::pixels(6), TextStyle::pixels(9),
                               TextStyle::pixels(6));
    layout->setSpacing(TextStyle::pixels(7));

    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("pathChipIcon"));
    layout->addWidget(m_icon);

    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("pathChipText"));
    m_text->setReadOnly(true);
    m_text->setFrame(false);
    m_text->setFont(TextStyle::monospace(11.5));
    m_text->setAttribute(Qt::WA_MacShowFocusRect, false);
    m_text->setMinimumWidth(0);
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_text->installEventFilter(this);
    layout->addWidget(m_text, 1);
    setAccessibleName(LanguageManager::localized(QStringLiteral("文件路径")));
    m_text->setAccessibleName(accessibleName());
    updateTones();
}

void PathChip::setPath(const QString &path)
{
    m_path = path;
    setToolTip(path);
    m_text->setToolTip(path);
    m_text->setAccessibleName(path.isEmpty() ? accessibleName() : path);
    updateShown();
}

QString PathChip::shownText() const
{
    return m_text->text();
}

QSize PathChip::minimumSizeHint() const
{
    const QMargins margins = layout()->contentsMargins();
    return {margins.left() + margins.right() + 60, QFrame::minimumSizeHint().height()};
}

void PathChip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = TextStyle::pixels(7);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill = TextStyle::color(palette(), TextStyle::Tone::primary);
    fill.setAlphaF(0.05f);
    QColor border = fill;
    border.setAlphaF(0.08f);
    painter.setPen(QPen(border, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(box, radius, radius);
}

bool PathChip::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_text) {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            // After the line edit has handled the event itself.
            QMetaObject::invokeMethod(this, &PathChip::updateShown, Qt::QueuedConnection);
            break;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void PathChip::updateShown()
{
    // While focused the whole path is there to select; otherwise it fits.
    QString shown = m_path;
    if (!m_text->hasFocus()) {
        const int room = m_text->contentsRect().width() - 4;
        shown = ElidedLabel::elided(m_text->fontMetrics(), m_path, Qt::ElideMiddle, qMax(0, room));
    }
    if (shown != m_text->text()) {
        m_text->setText(shown);
        m_text->setCursorPosition(0);
    }
}

void PathChip::updateTones()
{
    TextStyle::setTonedSymbol(m_icon, QStringLiteral("doc.text"), TextStyle::pixels(11),
                              TextStyle::Tone::secondary);
    TextStyle::setTone(m_text, TextStyle::Tone::secondary);
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    m_text->setPalette(palette);
}
