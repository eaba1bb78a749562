#pragma once

#include <QFrame>

class QLabel;
class QLineEdit;

// A file path on one line in a rounded chip: monospaced, shortened in the
// middle when too long, the whole path in its tooltip. The text can be
// selected and copied; while it has the focus it shows the whole path.
class PathChip : public QFrame
{
    Q_OBJECT
public:
    explicit PathChip(QWidget *parent = nullptr);

    void setPath(const QString &path);
    const QString &path() const { return m_path; }
    // What the chip shows now: the path, or its shortened form.
    QString shownText() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateShown();
    void updateTones();

    QString m_path;
    QLabel *m_icon;
    QLineEdit *m_text;
};
