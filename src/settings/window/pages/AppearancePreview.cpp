#include "settings/window/pages/AppearancePreview.h"

#include <QPainter>
#include <QPainterPath>

namespace {

struct Tones
{
    QColor desk, window, titleBar, sidebar, row, accent, outline;
};

const Tones lightTones{QColor(214, 222, 232), QColor(252, 252, 252), QColor(236, 236, 238),
                       QColor(242, 242, 245), QColor(222, 222, 226), QColor(42, 130, 218),
                       QColor(0, 0, 0, 40)};
const Tones darkTones{QColor(38, 44, 58),       QColor(40, 40, 43), QColor(54, 54, 58),
                      QColor(48, 48, 52),       QColor(78, 78, 84), QColor(64, 150, 235),
                      QColor(255, 255, 255, 40)};

void drawWindow(QPainter &p, const QRectF &area, const Tones &t)
{
    p.fillRect(area, t.desk);
    const QRectF window = area.adjusted(12, 10, -12, -8);
    QPainterPath frame;
    frame.addRoundedRect(window, 5, 5);
    p.fillPath(frame, t.window);
    p.save();
    p.setClipPath(frame);
    const QRectF titleBar(window.left(), window.top(), window.width(), 12);
    p.fillRect(titleBar, t.titleBar);
    const QColor dots[] = {QColor(255, 95, 87), QColor(254, 188, 46), QColor(40, 200, 64)};
    for (int i = 0; i < 3; ++i)
        p.setBrush(dots[i]), p.setPen(Qt::NoPen),
            p.drawEllipse(QPointF(window.left() + 7 + i * 7, titleBar.center().y()), 2.2, 2.2);
    const QRectF sidebar(window.left(), titleBar.bottom(), window.width() * 0.32,
                         window.height() - titleBar.height());
    p.fillRect(sidebar, t.sidebar);
    for (int i = 0; i < 4; ++i) {
        const QRectF row(sidebar.left() + 5, sidebar.top() + 6 + i * 9, sidebar.width() - 10, 4);
        p.fillRect(row, i == 1 ? t.accent : t.row);
    }
    for (int i = 0; i < 3; ++i) {
        const qreal width = (window.right() - sidebar.right() - 14) * (i == 2 ? 0.6 : 1.0);
        p.fillRect(QRectF(sidebar.right() + 7, sidebar.top() + 8 + i * 10, width, 5), t.row);
    }
    p.restore();
    p.setPen(QPen(t.outline, 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(frame);
}

} // namespace

AppearancePreview::AppearancePreview(Variant variant, QWidget *parent)
    : QWidget(parent), m_variant(variant)
{
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void AppearancePreview::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(rect()), 8, 8);
    p.setClipPath(clip);
    switch (m_variant) {
    case Variant::light:
        drawWindow(p, rect(), lightTones);
        break;
    case Variant::dark:
        drawWindow(p, rect(), darkTones);
        break;
    case Variant::split: {
        drawWindow(p, rect(), lightTones);
        QPainterPath right;
        right.addRect(QRectF(width() / 2.0, 0, width() / 2.0, height()));
        p.setClipPath(clip.intersected(right));
        drawWindow(p, rect(), darkTones);
        break;
    }
    }
}
