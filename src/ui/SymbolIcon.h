#pragma once

#include <QPalette>
#include <QWidget>

// A symbol drawn at paint time, in a colour of the current palette, so it
// follows a change between light and dark.
class SymbolIcon : public QWidget
{
    Q_OBJECT
public:
    SymbolIcon(const QString &symbol, int size, QWidget *parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString &symbol);
    void setColorRole(QPalette::ColorRole role);
    // Fading by opacity reuses the one cached pixmap of the colour.
    void setOpacity(qreal opacity);

    QSize sizeHint() const override { return {m_size, m_size}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
    int m_size;
    QPalette::ColorRole m_role = QPalette::WindowText;
    qreal m_opacity = 1;
};
