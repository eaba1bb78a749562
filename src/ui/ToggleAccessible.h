#pragma once

#include <QAccessibleWidget>

class QAbstractButton;

// A checkable button of our own (a card, a row of choices, a switch, a
// segment) as assistive technology sees it. Qt's own button interface answers
// the advertised "Toggle" with QAbstractButton::toggle(), which flips the
// state without a click, so the owner never hears of it and nothing is
// chosen; here the action clicks, as Space does.
class ToggleAccessible : public QAccessibleWidget
{
public:
    explicit ToggleAccessible(QAbstractButton *button);

    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text kind) const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

    // Makes every object of the class (a QAbstractButton subclass with
    // Q_OBJECT) use this interface; called from its constructor.
    static void useFor(const QMetaObject &buttonClass);

private:
    QAbstractButton *button() const;
};
