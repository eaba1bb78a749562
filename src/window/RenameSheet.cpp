#include "window/RenameSheet.h"

#include "language/LanguageManager.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

RenameSheet::RenameSheet(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("renameSheet"));
    setWindowModality(Qt::WindowModal);
    setFixedWidth(300);
    const QString title = LanguageManager::localized(QStringLiteral("重命名"));
    setWindowTitle(title);
    setAccessibleName(title);

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(16);
    auto *heading = new QLabel(title, this);
    heading->setObjectName(QStringLiteral("renameTitle"));
    QFont font = heading->font();
    font.setBold(true);
    heading->setFont(font);
    layout->addWidget(heading);

    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("renameField"));
    const QString placeholder = LanguageManager::localized(QStringLiteral("名称"));
    m_field->setPlaceholderText(placeholder);
    m_field->setAccessibleName(placeholder);
    layout->addWidget(m_field);

    auto *buttons = new QHBoxLayout;
    auto *cancel = new QPushButton(LanguageManager::localized(QStringLiteral("取消")), this);
    cancel->setObjectName(QStringLiteral("renameCancel"));
    cancel->setAutoDefault(false);
    auto *ok = new QPushButton(LanguageManager::localized(QStringLiteral("确定")), this);
    ok->setObjectName(QStringLiteral("renameOK"));
    ok->setDefault(true);
    buttons->addWidget(cancel);
    buttons->addStretch();
    buttons->addWidget(ok);
    layout->addLayout(buttons);

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QString RenameSheet::text() const
{
    return m_field->text();
}

void RenameSheet::setText(const QString &text)
{
    m_field->setText(text);
    m_field->selectAll();
    m_field->setFocus();
}
