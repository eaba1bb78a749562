#pragma once

#include <QFrame>

class QLabel;

// Above the window's columns while there is no tray to show the icon on:
// the icon comes by itself once a tray does, and until then starting
// Orlenta again brings this window back.
class TrayMissingBanner : public QFrame
{
    Q_OBJECT
public:
    explicit TrayMissingBanner(QWidget *parent = nullptr);

private:
    void retranslate();

    QLabel *m_text = nullptr;
};
