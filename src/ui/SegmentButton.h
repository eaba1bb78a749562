#pragma once

#include <QToolButton>

// One part of a segmented control: a checkable tool button that assistive
// technology chooses as a click does. The chosen part is filled in the
// secondary text tone with the window's colour as its text, so it stands out
// as clearly in a dark look as in a light one.
class SegmentButton : public QToolButton
{
    Q_OBJECT
public:
    explicit SegmentButton(QWidget *parent = nullptr);

    // The fill of the chosen part and its text on this palette.
    static QColor chosenFill(const QPalette &palette);
    static QColor chosenText(const QPalette &palette);

protected:
    void paintEvent(QPaintEvent *event) override;
};
