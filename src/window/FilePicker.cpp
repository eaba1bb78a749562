#include "window/FilePicker.h"

#include "language/LanguageManager.h"

#include <QDir>
#include <QFileDialog>

QStringList DialogFilePicker::chooseScripts(QWidget *parent)
{
    // ".command" is the macOS name for a script that opens in Terminal.
#if defined(Q_OS_MACOS)
    const QString title =
        LanguageManager::localized(QStringLiteral("选择要添加的 shell 脚本（.sh / .command）"));
#else
    const QString title =
        LanguageManager::localized(QStringLiteral("选择要添加的 shell 脚本（.sh）"));
#endif
    QFileDialog dialog(parent, title, QDir::homePath());
    dialog.setObjectName(QStringLiteral("scriptPicker"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

std::optional<QString> DialogFilePicker::chooseFolder(QWidget *parent)
{
    QFileDialog dialog(parent, LanguageManager::localized(QStringLiteral("选择要导入的文件夹")),
                       QDir::homePath());
    dialog.setObjectName(QStringLiteral("folderPicker"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> DialogFilePicker::chooseConfig(QWidget *parent)
{
    QFileDialog dialog(parent, LanguageManager::localized(QStringLiteral("打开配置文件")));
    dialog.setObjectName(QStringLiteral("configPicker"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The dialog has no message line: the filter's name carries it.
    dialog.setNameFilter(LanguageManager::localized(
                             QStringLiteral("选择一个 tallowBay.json（任意位置的配置文件）")) +
                         QStringLiteral(" (*.json)"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
