#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QAction;

// The object a pop-up menu's items call back through; kept alive by its
// owner while the menu is open.
class MenuActionHelper : public QObject
{
    Q_OBJECT
public:
    explicit MenuActionHelper(std::function<void(const QString &)> handler,
                              QObject *parent = nullptr);

    // Calls the handler with the item's text payload; nothing when it has none.
    void fire(const QAction *item) const;

private:
    std::function<void(const QString &)> m_handler;
};
