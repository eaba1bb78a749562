#pragma once

#include <QLabel>

// A one-line label that shortens its text with "…" when the space is too
// narrow, instead of widening the window. Screen readers and the tooltip get
// the whole text.
class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ElidedLabel(Qt::TextElideMode mode = Qt::ElideRight, QWidget *parent = nullptr);

    // What fits in width, at a cost bounded by the width and not by the
    // text's length: a name may be megabytes long, and shaping it whole on
    // every paint would freeze the window.
    static QString elided(const QFontMetrics &metrics, const QString &text, Qt::TextElideMode mode,
                          int width);

    void setFullText(const QString &text);
    const QString &fullText() const { return m_fullText; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void elide();

    QString m_fullText;
    int m_fullWidth = 0;
    Qt::TextElideMode m_mode;
};
