#pragma once

#include <QWidget>

class BusySpinner;
class ElidedLabel;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class RunController;

// The run log under the detail header: a status bar with the running
// script's name and "清空", then the log itself, which never scrolls by
// itself, or its empty state.
class OutputPane : public QWidget
{
    Q_OBJECT
public:
    explicit OutputPane(RunController &runController, QWidget *parent = nullptr);

private:
    void retranslate();
    void followRunning();
    void followOutput();

    RunController &m_runController;
    BusySpinner *m_spinner;
    ElidedLabel *m_status;
    QPushButton *m_clear;
    QStackedWidget *m_stack;
    QPlainTextEdit *m_text;
    QWidget *m_empty;
    QLabel *m_emptyText;
    QString m_shown;
};
