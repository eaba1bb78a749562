#pragma once

#include <QWidget>

// A miniature window in light or dark colours, or split half and half, for
// the appearance cards.
class AppearancePreview : public QWidget
{
    Q_OBJECT
public:
    enum class Variant { light, dark, split };

    explicit AppearancePreview(Variant variant, QWidget *parent = nullptr);

    Variant variant() const { return m_variant; }
    QSize sizeHint() const override { return {140, 88}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Variant m_variant;
};
