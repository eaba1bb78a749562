#pragma once

#include <QWidget>

class ShellStore;

// The settings window; one at a time, kept while the app runs.
class SettingsWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SettingsWindow(ShellStore &store, QWidget *parent = nullptr);

    ShellStore &store() const { return m_store; }

private:
    // Builds the content afresh, so every text is looked up in the current language.
    void rebuild();

    ShellStore &m_store;
    QWidget *m_content = nullptr;
};
