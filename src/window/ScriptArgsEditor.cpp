#include "window/ScriptArgsEditor.h"

#include "language/LanguageManager.h"
#include "library/ShellStore.h"
#include "ui/IconMap.h"
#include "ui/TextStyle.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QString presetsHeading()
{
#if defined(Q_OS_MACOS)
    return LanguageManager::localized(QStringLiteral("参数预设（每个一行，菜单栏会自动展开）"));
#else
    return LanguageManager::localized(QStringLiteral("参数预设（每个一行，托盘菜单会自动展开）"));
#endif
}
} // namespace

ScriptArgsEditor::ScriptArgsEditor(ShellStore &store, const ShellNode &node, QWidget *parent)
    : QWidget(parent), m_store(store), m_node(node)
{
    setObjectName(QStringLiteral("argsEditor"));
    setToolTip(LanguageManager::localized(
        QStringLiteral("每条参数原样追加在「./脚本」之后（含空格的参数请自行加引号，例如 start "
                       "--force \"a b\"）。")));
    m_writer = [this](const QUuid &id, const QStringList &args, const QUuid &) {
        m_store.setArgs(id, args);
    };

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(TextStyle::pixels(8));

    auto *heading = new QHBoxLayout;
    heading->setSpacing(TextStyle::pixels(5));
    auto *headingIcon = new QLabel(this);
    TextStyle::setTonedSymbol(headingIcon, QStringLiteral("slider.horizontal.3"),
                              TextStyle::pixels(10), TextStyle::Tone::secondary);
    auto *headingText = new QLabel(presetsHeading(), this);
    headingText->setObjectName(QStringLiteral("argsHeading"));
    headingText->setFont(TextStyle::font(11, QFont::DemiBold));
    headingText->setWordWrap(true);
    TextStyle::setTone(headingText, TextStyle::Tone::secondary);
    heading->addWidget(headingIcon, 0, Qt::AlignTop);
    heading->addWidget(headingText, 1);
    column->addLayout(heading);

    m_linesLayout = new QVBoxLayout;
    m_linesLayout->setContentsMargins(0, 0, 0, 0);
    m_linesLayout->setSpacing(TextStyle::pixels(8));
    column->addLayout(m_linesLayout);

    auto *add = new QToolButton(this);
    add->setObjectName(QStringLiteral("addArg"));
    add->setText(LanguageManager::localized(QStringLiteral("添加参数")));
    add->setAccessibleName(add->text());
    add->setIcon(IconMap::icon(QStringLiteral("plus")));
    add->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    add->setFont(TextStyle::font(10));
    add->setFocusPolicy(Qt::StrongFocus);
    connect(add, &QToolButton::clicked, this, &ScriptArgsEditor::addRow);
    column->addWidget(add, 0, Qt::AlignLeft);

    load(node.args);
}

void ScriptArgsEditor::load(const std::optional<QStringList> &args)
{
    for (QWidget *line : std::as_const(m_lines))
        delete line;
    m_lines.clear();
    m_rows.clear();
    for (const QString &text : args.value_or(QStringList())) {
        const ArgRow row{QUuid::createUuid(), text};
        m_rows.append(row);
        QWidget *line = makeLine(row);
        m_linesLayout->addWidget(line);
    }
}

QWidget *ScriptArgsEditor::makeLine(const ArgRow &row)
{
    auto *line = new QWidget(this);
    line->setObjectName(QStringLiteral("argLine"));
    auto *layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(TextStyle::pixels(6));

    auto *field = new QLineEdit(row.text, line);
    field->setObjectName(QStringLiteral("argField"));
    field->setPlaceholderText(LanguageManager::localized(QStringLiteral("例如 stop / start")));
    field->setAccessibleName(presetsHeading());
    field->setMinimumWidth(80);
    const QUuid id = row.id;
    connect(field, &QLineEdit::textEdited, this, [this, id](const QString &text) {
        for (ArgRow &row : m_rows)
            if (row.id == id)
                row.text = text;
        persist(id);
    });
    field->installEventFilter(this);
    layout->addWidget(field, 1);

    auto *remove = new QToolButton(line);
    remove->setObjectName(QStringLiteral("removeArg"));
    remove->setAutoRaise(true);
    TextStyle::setTonedIcon(remove, QStringLiteral("minus.circle.fill"), TextStyle::pixels(14),
                            TextStyle::Tone::secondary);
    remove->setToolTip(LanguageManager::localized(QStringLiteral("删除这一条参数")));
    remove->setAccessibleName(remove->toolTip());
    remove->setFocusPolicy(Qt::StrongFocus);
    connect(remove, &QToolButton::clicked, this, [this, id] { removeRow(id); });
    layout->addWidget(remove);

    m_lines.insert(row.id, line);
    line->show();
    return line;
}

void ScriptArgsEditor::addRow()
{
    const ArgRow row{QUuid::createUuid(), QString()};
    m_rows.append(row);
    QWidget *line = makeLine(row);
    m_linesLayout->addWidget(line);
    persist();
    line->findChild<QLineEdit *>()->setFocus(Qt::OtherFocusReason);
}

bool ScriptArgsEditor::eventFilter(QObject *watched, QEvent *event)
{
    // Return in a preset goes on to the next line. It must never reach the
    // pane's run key: a slip while typing would start a run.
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
        (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return QWidget::eventFilter(watched, event);
    event->accept();
    if (event->type() == QEvent::KeyPress)
        focusLineAfter(watched);
    return true;
}

void ScriptArgsEditor::focusLineAfter(QObject *field)
{
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        if (!m_lines.value(m_rows.at(i).id)->isAncestorOf(qobject_cast<QWidget *>(field)))
            continue;
        if (i + 1 < m_rows.size())
            m_lines.value(m_rows.at(i + 1).id)->findChild<QLineEdit *>()->setFocus(
                Qt::TabFocusReason);
        else
            addRow();
        return;
    }
}

void ScriptArgsEditor::removeRow(const QUuid &id)
{
    const qsizetype index = std::find_if(m_rows.cbegin(), m_rows.cend(),
                                         [&id](const ArgRow &row) { return row.id == id; }) -
                            m_rows.cbegin();
    m_rows.removeIf([&id](const ArgRow &row) { return row.id == id; });
    if (QWidget *line = m_lines.take(id)) {
        // Keep the keyboard in the list: the next line, the one before, or "添加参数".
        const bool hadFocus = line->isAncestorOf(QApplication::focusWidget());
        line->hide();
        line->deleteLater();
        if (hadFocus) {
            QWidget *next = nullptr;
            if (!m_rows.isEmpty())
                next = m_lines.value(m_rows.at(qMin(index, m_rows.size() - 1)).id);
            if (next)
                next->findChild<QLineEdit *>()->setFocus(Qt::OtherFocusReason);
            else
                findChild<QToolButton *>(QStringLiteral("addArg"))->setFocus(Qt::OtherFocusReason);
        }
    }
    persist();
}

void ScriptArgsEditor::persist(const QUuid &typedRow)
{
    QStringList texts;
    texts.reserve(m_rows.size());
    for (const ArgRow &row : std::as_const(m_rows))
        texts.append(row.text);
    m_writer(m_node.id, texts, typedRow);
}

QStringList ScriptArgsEditor::cleaned(const QStringList &args)
{
    QStringList result;
    for (const QString &arg : args)
        if (const QString trimmed = arg.trimmed(); !trimmed.isEmpty())
            result.append(trimmed);
    return result;
}

void ScriptArgsEditor::followStore(const ShellNode &node)
{
    QStringList texts;
    for (const ArgRow &row : std::as_const(m_rows))
        texts.append(row.text);
    if (cleaned(texts) != cleaned(node.args.value_or(QStringList())))
        load(node.args);
    m_node = node;
}
