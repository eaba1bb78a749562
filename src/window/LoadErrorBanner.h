#pragma once

#include <QFrame>

class QLabel;
class QPushButton;
class ShellStore;

// Above the sidebar while the current document cannot be read or reached,
// or its last save failed (and the change was taken back): what happened,
// where the file is kept, and a button that shows it in the file manager.
// Hidden otherwise.
class LoadErrorBanner : public QFrame
{
    Q_OBJECT
public:
    explicit LoadErrorBanner(ShellStore &store, QWidget *parent = nullptr);

private:
    void retranslate();
    void refresh();
    QString keptPath() const;

    ShellStore &m_store;
    QLabel *m_text = nullptr;
    QPushButton *m_reveal = nullptr;
};
