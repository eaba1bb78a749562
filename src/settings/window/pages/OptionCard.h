#pragma once

#include <QAbstractButton>

class QLabel;
class StateTransition;
class SymbolIcon;

// One choice among a few, drawn as a card: the chosen one is outlined in the
// accent colour and carries a check mark. Clicking does not toggle it; the
// owner marks the card that matches the stored value.
class OptionCard : public QAbstractButton
{
    Q_OBJECT
public:
    // A card with a symbol, a title and a subtitle.
    OptionCard(const QString &symbol, const QString &title, const QString &subtitle,
               QWidget *parent = nullptr);
    // A card showing a picture above its title.
    OptionCard(QWidget *picture, const QString &title, QWidget *parent = nullptr);

    void setSelected(bool selected);
    bool isSelected() const { return isChecked(); }
    // How long the outline and the check mark take to follow a change of
    // selection; 0 (the default) shows it at once.
    void setSelectionDuration(int milliseconds);
    // 0 unselected, 1 selected; in between while the change is drawn.
    qreal selectionProgress() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void nextCheckState() override {}

private:
    void build();
    void showProgress(qreal progress);

    QLabel *m_title = nullptr;
    SymbolIcon *m_check = nullptr;
    StateTransition *m_selection = nullptr;
    bool m_boldWhenSelected = false;
};
