#pragma once

#include <QMainWindow>

class ShellStore;
class RunController;

// The management window (scene "main"). Closing it destroys it; opening it
// again makes a new one.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    MainWindow(ShellStore &store, RunController &runController, QWidget *parent = nullptr);

    ShellStore &store() const { return m_store; }
    RunController &runController() const { return m_runController; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Builds the content afresh, so every text is looked up in the current language.
    void rebuild();

    ShellStore &m_store;
    RunController &m_runController;
};
