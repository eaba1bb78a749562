#include "settings/window/pages/OptionCard.h"

#include "ui/StateTransition.h"
#include "ui/SymbolIcon.h"
#include "ui/ToggleAccessible.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {
QLabel *passiveLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}
} // namespace

OptionCard::OptionCard(const QString &symbol, const QString &title, const QString &subtitle,
                       QWidget *parent)
    : QAbstractButton(parent)
{
    build();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->setSpacing(6);
    auto *top = new QHBoxLayout;
    auto *icon = new SymbolIcon(symbol, 22, this);
    top->addWidget(icon);
    top->addStretch(1);
    top->addWidget(m_check);
    layout->addLayout(top);
    m_title = passiveLabel(title, this);
    QFont font = m_title->font();
    font.setWeight(QFont::DemiBold);
    m_title->setFont(font);
    layout->addWidget(m_title);
    auto *detail = passiveLabel(subtitle, this);
    detail->setForegroundRole(QPalette::PlaceholderText);
    QFont small = detail->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    detail->setFont(small);
    detail->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(detail, 1);
    setText(title);
    setAccessibleDescription(subtitle);
}

OptionCard::OptionCard(QWidget *picture, const QString &title, QWidget *parent)
    : QAbstractButton(parent)
{
    build();
    m_boldWhenSelected = true;
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    picture->setParent(this);
    layout->addWidget(picture, 0, Qt::AlignHCenter);
    // The check mark sits after the title; an equal space before keeps the title centred.
    auto *bottom = new QHBoxLayout;
    bottom->setSpacing(4);
    bottom->addSpacing(m_check->width());
    m_title = passiveLabel(title, this);
    m_title->setAlignment(Qt::AlignCenter);
    bottom->addWidget(m_title, 1);
    QSizePolicy keep = m_check->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_check->setSizePolicy(keep);
    bottom->addWidget(m_check);
    layout->addLayout(bottom);
    setText(title);
}

void OptionCard::build()
{
    ToggleAccessible::useFor(staticMetaObject);
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    m_check = new SymbolIcon(QStringLiteral("checkmark"), 16, this);
    m_check->setColorRole(QPalette::Highlight);
    m_check->hide();
    m_selection = new StateTransition(this, 0);
    connect(m_selection, &StateTransition::valueChanged, this, &OptionCard::showProgress);
}

void OptionCard::setSelectionDuration(int milliseconds)
{
    m_selection->setDuration(milliseconds);
}

qreal OptionCard::selectionProgress() const
{
    return m_selection->value();
}

void OptionCard::showProgress(qreal progress)
{
    m_check->setVisible(progress > 0);
    m_check->setOpacity(progress);
}

void OptionCard::setSelected(bool selected)
{
    setChecked(selected);
    m_selection->setTarget(selected ? 1 : 0);
    if (m_boldWhenSelected) {
        QFont font = m_title->font();
        font.setWeight(selected ? QFont::DemiBold : QFont::Normal);
        m_title->setFont(font);
    }
}

void OptionCard::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = palette().color(QPalette::WindowText);
    fill.setAlphaF(underMouse() ? 0.07f : 0.04f);
    QColor outline = palette().color(QPalette::WindowText);
    outline.setAlphaF(0.15f);
    const qreal progress = m_selection->value();
    outline = StateTransition::mix(outline, palette().color(QPalette::Highlight), progress);
    const qreal width = 1 + progress;
    p.setBrush(fill);
    p.setPen(QPen(outline, width));
    const qreal inset = width / 2 + 0.5;
    p.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), 10, 10);
    // The ring shows a focus reached by keyboard, not the one a click gives.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        QColor ring = palette().color(QPalette::Highlight);
        ring.setAlphaF(0.5f);
        p.setPen(QPen(ring, 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(rect()).adjusted(4, 4, -4, -4), 7, 7);
    }
}
