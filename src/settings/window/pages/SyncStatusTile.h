#pragma once

#include <QWidget>

class StateTransition;

// The sync status symbol: a small tinted rounded square holding the drive
// (off) or the cloud (on), stronger when on; a change cross-fades the tint
// and the symbol.
class SyncStatusTile : public QWidget
{
    Q_OBJECT
public:
    // How long the sync status row takes to show a change.
    static constexpr int changeMilliseconds = 180;

    explicit SyncStatusTile(QWidget *parent = nullptr);

    // Whether the change was one.
    bool setActive(bool active);
    qreal activeProgress() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    StateTransition *m_state;
};
