#pragma once

#include <QIcon>
#include <QObject>

#include <functional>

// Gives the application its window icon when the first window the window
// manager shows appears. The tray's own window (it bypasses the window
// manager) and popups never show it, yet rendering it for them into every
// size X11 asks for costs the start milliseconds and memory.
class LazyWindowIcon : public QObject
{
    Q_OBJECT
public:
    // Watches the application until that window appears.
    explicit LazyWindowIcon(std::function<QIcon()> icon, QObject *parent = nullptr);

    bool isWaiting() const { return static_cast<bool>(m_icon); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<QIcon()> m_icon;
};
