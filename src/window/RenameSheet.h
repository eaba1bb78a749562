#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The modal rename sheet over the management window: a name field, "取消"
// and the default "确定", which Return triggers.
class RenameSheet : public QDialog
{
    Q_OBJECT
public:
    explicit RenameSheet(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);

private:
    QLineEdit *m_field;
};
