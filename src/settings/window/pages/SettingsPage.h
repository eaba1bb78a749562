#pragma once

#include <QWidget>

class QVBoxLayout;

// One tab of the settings window, built in the current language (a change of
// language builds the window afresh). A page keeps its controls in step with
// the preferences and the store it shows; the window only tells it when it
// appears.
class SettingsPage : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

    // The window appeared: take afresh what the page mirrors from outside
    // (a tab's own show event comes only when that tab is chosen).
    virtual void windowShown() {}

protected:
    // A column of cards, top-left, 20 points from the edges and 22 apart.
    QVBoxLayout *cardColumn();
};
