#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// The window's modal file dialogs, behind an interface so tests answer them
// without a dialog.
class FilePicker
{
public:
    virtual ~FilePicker() = default;

    // Files chosen to add as scripts, in the dialog's order; none on cancel.
    // The dialog does not filter by type: the caller keeps the scripts.
    virtual QStringList chooseScripts(QWidget *parent) = 0;
    // A folder chosen to import; none on cancel.
    virtual std::optional<QString> chooseFolder(QWidget *parent) = 0;
    // A configuration document (JSON) to open as a profile; none on cancel.
    virtual std::optional<QString> chooseConfig(QWidget *parent) = 0;
};

// The real dialogs, starting in the home folder, hidden files not shown.
class DialogFilePicker : public FilePicker
{
public:
    QStringList chooseScripts(QWidget *parent) override;
    std::optional<QString> chooseFolder(QWidget *parent) override;
    std::optional<QString> chooseConfig(QWidget *parent) override;
};
