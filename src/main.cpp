#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

#include "app/LanguageManager.h"

namespace {
QIcon placeholderIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 3));
    painter.drawRoundedRect(QRectF(3, 5, 26, 22), 4, 4);
    painter.drawLine(QPointF(9, 12), QPointF(14, 16));
    painter.drawLine(QPointF(14, 16), QPointF(9, 20));
    painter.drawLine(QPointF(17, 21), QPointF(23, 21));
    return QIcon(pixmap);
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orlenta"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orlenta"));
    QApplication::setQuitOnLastWindowClosed(false);

    QMenu menu;
    QAction *quit = menu.addAction(LanguageManager::localized(QStringLiteral("退出")));
    QObject::connect(quit, &QAction::triggered, &app, &QApplication::quit);

    QSystemTrayIcon tray(placeholderIcon());
    tray.setToolTip(QStringLiteral("Orlenta"));
    tray.setContextMenu(&menu);
    tray.show();
    return app.exec();
}
