#include "ui/SymbolIcon.h"

#include "ui/IconMap.h"

#include <QPainter>

SymbolIcon::SymbolIcon(const QString &symbol, int size, QWidget *parent)
    : QWidget(parent), m_symbol(symbol), m_size(size)
{
    setFixedSize(size, size);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void SymbolIcon::setSymbol(const QString &symbol)
{
    if (m_symbol == symbol)
        return;
    m_symbol = symbol;
    update();
}

void SymbolIcon::setColorRole(QPalette::ColorRole role)
{
    m_role = role;
    update();
}

void SymbolIcon::setOpacity(qreal opacity)
{
    if (opacity == m_opacity)
        return;
    m_opacity = opacity;
    update();
}

void SymbolIcon::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setOpacity(m_opacity);
    const QColor color = palette().color(m_role);
    const QPixmap pixmap =
        IconMap::pixmap(m_symbol, QSize(m_size, m_size), color, devicePixelRatioF());
    p.drawPixmap(QPoint(0, 0), pixmap);
}
