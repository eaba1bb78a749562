#pragma once

#include <QAbstractButton>

// One row of a list of choices (the languages): its text, in the accent
// colour with a check mark when chosen. Clicking does not toggle it; the
// owner marks the chosen row. Up and Down move to the neighbouring rows.
class ChoiceRow : public QAbstractButton
{
    Q_OBJECT
public:
    explicit ChoiceRow(const QString &text, QWidget *parent = nullptr);

    void setChosen(bool chosen) { setChecked(chosen); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void nextCheckState() override {}
};
