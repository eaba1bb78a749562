#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QVBoxLayout;

// A titled group of settings: an optional semibold title above a rounded
// panel with a faint fill and outline. Parts inside stand 10 points apart.
class Card : public QWidget
{
    Q_OBJECT
public:
    // An empty title shows no title line.
    explicit Card(const QString &title, QWidget *parent = nullptr);

    // Where the card's content goes.
    QVBoxLayout *body() const { return m_body; }
    QFrame *panel() const { return m_panel; }
    QString title() const;

    void addWidget(QWidget *widget);
    // A thin line between two rows.
    void addDivider();
    static QFrame *divider(QWidget *parent = nullptr);

private:
    QLabel *m_title = nullptr;
    QFrame *m_panel = nullptr;
    QVBoxLayout *m_body = nullptr;
};
