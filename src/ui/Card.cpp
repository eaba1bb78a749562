#include "ui/Card.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// Fill and outline follow the palette's text colour, so the panel reads as
// a faint tint on light and dark windows alike.
class CardPanel : public QFrame
{
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QColor fill = palette().color(QPalette::WindowText);
        fill.setAlphaF(0.04f);
        QColor outline = fill;
        outline.setAlphaF(0.12f);
        p.setPen(QPen(outline, 1));
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    }
};

// A hairline drawn from the palette when painted, so it follows appearance changes.
class DividerLine : public QFrame
{
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        QColor color = palette().color(QPalette::WindowText);
        color.setAlphaF(0.14f);
        p.fillRect(contentsRect(), color);
    }
};

} // namespace

Card::Card(const QString &title, QWidget *parent) : QWidget(parent)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(6);
    if (!title.isEmpty()) {
        m_title = new QLabel(title, this);
        m_title->setObjectName(QStringLiteral("cardTitle"));
        QFont font = m_title->font();
        font.setWeight(QFont::DemiBold);
        m_title->setFont(font);
        m_title->setWordWrap(true);
        outer->addWidget(m_title);
    }
    m_panel = new CardPanel(this);
    m_panel->setObjectName(QStringLiteral("cardPanel"));
    m_body = new QVBoxLayout(m_panel);
    m_body->setContentsMargins(14, 12, 14, 12);
    m_body->setSpacing(10);
    outer->addWidget(m_panel);
    setAccessibleName(title);
}

QString Card::title() const
{
    return m_title ? m_title->text() : QString();
}

void Card::addWidget(QWidget *widget)
{
    m_body->addWidget(widget);
}

QFrame *Card::divider(QWidget *parent)
{
    auto *line = new DividerLine(parent);
    line->setObjectName(QStringLiteral("divider"));
    line->setFixedHeight(1);
    line->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return line;
}

void Card::addDivider()
{
    m_body->addWidget(divider(m_panel));
}
