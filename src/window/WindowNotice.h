#pragma once

#include <QFrame>
#include <QTimer>

#include <functional>

class ElidedLabel;
class QPushButton;

// A short line across the foot of the management window: what just happened
// ("已删除 …", "已复制路径") or why nothing did (a dropped file that was not
// added), with a button for an undo where there is one. It goes away by
// itself or when the next notice replaces it; it never takes the focus from
// where the user works.
class WindowNotice : public QFrame
{
    Q_OBJECT
public:
    static constexpr int shortMilliseconds = 4000;
    static constexpr int undoMilliseconds = 8000;

    explicit WindowNotice(QWidget *parent = nullptr);

    // With an action, "撤销" is offered and the notice stays longer.
    void post(const QString &text, std::function<void()> undo = {});
    void dismiss();
    // Takes the undo away from a notice still shown (the step it would undo
    // is no longer the newest).
    void withdrawUndo();

    QString text() const;
    bool offersUndo() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void retranslate();

    ElidedLabel *m_text = nullptr;
    QPushButton *m_undo = nullptr;
    std::function<void()> m_action;
    QTimer m_timer;
};
