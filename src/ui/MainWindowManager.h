#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

// Knows the management window without owning it: the pointer empties itself
// when the window is destroyed.
class MainWindowManager
{
public:
    static MainWindowManager &shared();

    QWidget *window() const { return m_window.data(); }
    void setWindow(QWidget *window) { m_window = window; }

    // Raises the known window when it is visible; otherwise opens a new one
    // through openScene. Either way the window ends up active. Returns it.
    QWidget *focusOrOpen(const std::function<QWidget *()> &openScene);

private:
    QPointer<QWidget> m_window;
};
