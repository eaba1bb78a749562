#pragma once

#include <QAbstractButton>

class QLabel;
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

protected:
    void paintEvent(QPaintEvent *event) override;
    void nextCheckState() override {}

private:
    void build();

    QLabel *m_title = nullptr;
    SymbolIcon *m_check = nullptr;
    bool m_boldWhenSelected = false;
};
