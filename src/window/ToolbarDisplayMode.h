#pragma once

#include <QObject>

class Preferences;
class QToolBar;

// The toolbar's display mode (icon and label, icon only, label only), chosen
// from the toolbar's own context menu. A choice is stored at once as
// fnkt_toolbarDisplayMode and applied again when a window opens; the default
// (0) is never stored.
class ToolbarDisplayMode : public QObject
{
    Q_OBJECT
public:
    enum Mode { defaultMode = 0, iconAndLabel = 1, iconOnly = 2, labelOnly = 3 };

    ToolbarDisplayMode(QToolBar &toolbar, Preferences &preferences);

    int mode() const { return m_mode; }
    void setMode(int mode);

    // Pops up the choice of modes; it deletes itself when it closes.
    void showMenu(const QPoint &globalPosition);

private:
    void restoreIfNeeded();

    QToolBar &m_toolbar;
    Preferences &m_preferences;
    int m_mode = defaultMode;
};
