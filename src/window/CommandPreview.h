#pragma once

#include "library/ShellNode.h"

#include <QTextEdit>

// The command lines a run of a script hands to the terminal, one per preset,
// read-only and selectable; as tall as its first few wrapped lines, longer
// lists scroll.
class CommandPreview : public QTextEdit
{
    Q_OBJECT
public:
    explicit CommandPreview(QWidget *parent = nullptr);

    void showScript(const ShellNode &script);

    // One line per preset, or one without argument when it has none.
    static QStringList commandLines(const ShellNode &script);

protected:
    bool event(QEvent *event) override;

private:
    void fit();
};
