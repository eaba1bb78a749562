#pragma once

#include "library/ShellNode.h"

#include <QObject>
#include <QString>

#include <optional>

class ShellStore;

// The observable state of runs: each script of a node is handed to the
// terminal in turn, and the hand-overs are logged in output.
class RunController : public QObject
{
    Q_OBJECT
public:
    explicit RunController(QObject *parent = nullptr);
    ~RunController() override;

    const QString &output() const { return m_output; }
    bool isRunning() const { return m_isRunning; }
    const QString &currentNodeName() const { return m_currentNodeName; }

    void run(const ShellNode &node, ShellStore &store, std::optional<QString> arg = std::nullopt);

Q_SIGNALS:
    void outputChanged();
    void isRunningChanged();
    void currentNodeNameChanged();

private:
    QString m_output;
    bool m_isRunning = false;
    QString m_currentNodeName;
};
