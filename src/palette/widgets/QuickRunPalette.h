#pragma once

#include "palette/QuickRunIndex.h"

#include <QTimer>
#include <QUuid>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListView;
class QuickRunModel;
class RunController;
class RunHistory;
class ShellStore;

// A small frameless window: type a few letters of a script's path or preset,
// Enter runs it exactly as the tray menu would.
class QuickRunPalette : public QWidget
{
    Q_OBJECT
public:
    static constexpr int maxRows = 200;
    // How long a loss of focus must last to dismiss the palette.
    static constexpr int dismissMilliseconds = 250;

    QuickRunPalette(ShellStore &store, RunController &runController, RunHistory &history,
                    QWidget *parent = nullptr);

    // Empties the field, centres the palette on the active screen and gives
    // it the keyboard.
    void present();

    QLineEdit *field() const { return m_field; }
    QListView *list() const { return m_list; }

Q_SIGNALS:
    // Ctrl+Enter: show this node in the management window instead of running it.
    void showInWindowRequested(const QUuid &id);
    // The first paint after present().
    void presented();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void refilter();
    void activate(bool inWindow);
    void moveSelection(int delta);
    void retranslate();
    // Says why the list is empty: nothing matches, or nothing to run at all.
    void updateEmptyText();

    ShellStore &m_store;
    RunController &m_runController;
    RunHistory &m_history;
    QuickRunIndex m_index;
    bool m_indexStale = true;
    bool m_announcePaint = false;
    QLineEdit *m_field;
    QListView *m_list;
    QLabel *m_empty;
    QuickRunModel *m_model;
    QTimer m_dismiss;
};
