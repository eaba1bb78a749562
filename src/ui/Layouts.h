#pragma once

#include <QString>

#include <initializer_list>

class QHBoxLayout;
class QLabel;
class QLayout;
class QPushButton;
class QVBoxLayout;
class QWidget;

// Builders of the rows inside a card: plain-text labels, and a row of a
// symbol, a column of texts and a control at the right.
namespace Layouts {

// Word-wrapped plain text (never read as rich text).
QLabel *label(const QString &text, QWidget *parent);
// Smaller, in the placeholder colour; scale is of the widget font.
QLabel *secondary(const QString &text, QWidget *parent, qreal scale = 0.9);
QLabel *bold(const QString &text, QWidget *parent);

QHBoxLayout *row(QWidget *symbol, QLayout *texts, QWidget *right = nullptr);
QVBoxLayout *column(std::initializer_list<QWidget *> widgets);
// The layout in a widget of its own, without margins.
QWidget *wrap(QLayout *layout, QWidget *parent);

// A push button with a symbol before its text, with room around both: the
// style's own size puts the symbol against the frame.
QPushButton *symbolButton(const QString &symbol, const QString &text, QWidget *parent);

} // namespace Layouts
