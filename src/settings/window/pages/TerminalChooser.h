#pragma once

#include "ui/Card.h"

#include <QProcessEnvironment>

#include <functional>
#include <memory>

class Preferences;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class ShellRunner;
class TerminalBackEnd;
class TerminalTrial;
struct SettingsServices;

// The card that chooses the terminal taking the runs: automatic, one of the
// installed ones, or a command of the user's own; "试一试" hands a harmless
// script to the choice and tells how it went.
class TerminalChooser : public Card
{
    Q_OBJECT
public:
    explicit TerminalChooser(const SettingsServices &services, QWidget *parent = nullptr);

private:
    void refresh();
    void chosen(int index);
    void storeCustomCommand();
    void tryIt();

    Preferences &m_preferences;
    std::function<std::unique_ptr<TerminalBackEnd>()> m_backEnd;
    QProcessEnvironment m_environment;
    QString m_scratchFolder;

    QComboBox *m_choice = nullptr;
    QLineEdit *m_command = nullptr;
    QLabel *m_help = nullptr;
    QPushButton *m_tryButton = nullptr;
    QLabel *m_tryResult = nullptr;
    ShellRunner *m_trialRunner = nullptr;
    TerminalTrial *m_trial = nullptr;
};
