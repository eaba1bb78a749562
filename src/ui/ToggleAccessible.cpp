#include "ui/ToggleAccessible.h"

#include <QAbstractButton>
#include <QRegularExpression>
#include <QSet>

namespace {

QSet<QString> &classes()
{
    static QSet<QString> names;
    return names;
}

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (!classes().contains(className))
        return nullptr;
    if (auto *button = qobject_cast<QAbstractButton *>(object))
        return new ToggleAccessible(button);
    return nullptr;
}

} // namespace

ToggleAccessible::ToggleAccessible(QAbstractButton *button) : QAccessibleWidget(button) {}

void ToggleAccessible::useFor(const QMetaObject &buttonClass)
{
    if (classes().isEmpty())
        QAccessible::installFactory(factory);
    classes().insert(QString::fromLatin1(buttonClass.className()));
}

QAbstractButton *ToggleAccessible::button() const
{
    return static_cast<QAbstractButton *>(widget());
}

// Role, state and name as Qt gives any button, so nothing else changes.
QAccessible::Role ToggleAccessible::role() const
{
    if (!button()->isCheckable())
        return QAccessible::PushButton;
    return button()->autoExclusive() ? QAccessible::RadioButton : QAccessible::CheckBox;
}

QAccessible::State ToggleAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = button()->isCheckable();
    state.checked = button()->isChecked();
    state.pressed = button()->isDown();
    return state;
}

QString ToggleAccessible::text(QAccessible::Text kind) const
{
    QString text = QAccessibleWidget::text(kind);
    if (kind == QAccessible::Name && text.isEmpty()) {
        text = button()->text();
        text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    }
    return text;
}

QStringList ToggleAccessible::actionNames() const
{
    QStringList names;
    if (widget()->isEnabled())
        names << (button()->isCheckable() ? toggleAction() : pressAction());
    return names + QAccessibleWidget::actionNames();
}

void ToggleAccessible::doAction(const QString &actionName)
{
    if (actionName != toggleAction() && actionName != pressAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    if (widget()->isEnabled())
        button()->click();
}

QStringList ToggleAccessible::keyBindingsForAction(const QString &actionName) const
{
    if (actionName == toggleAction() || actionName == pressAction())
        return {QStringLiteral("Space")};
    return QAccessibleWidget::keyBindingsForAction(actionName);
}
