#include "ui/UpdateDialogs.h"

#include "language/LanguageManager.h"
#include "ui/IconMap.h"
#include "update/UpdateService.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox *messageBox(QMessageBox::Icon icon, const QString &text, const QString &informative)
{
    auto *box = new QMessageBox(icon, LanguageManager::localized(QStringLiteral("检查更新")), text);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setInformativeText(informative);
    box->setWindowIcon(IconMap::applicationIcon());
    box->setIconPixmap(IconMap::applicationIcon().pixmap(64, 64));
    // Message boxes size themselves to the text; Chinese text, which may break
    // anywhere, would wrap after a few characters.
    if (auto *grid = qobject_cast<QGridLayout *>(box->layout()))
        grid->addItem(new QSpacerItem(360, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

void present(QMessageBox *box)
{
    box->show();
    box->raise();
    box->activateWindow();
}

} // namespace

void DialogUpdateUserInterface::showUpToDate(const QString &currentVersion)
{
    auto *box = messageBox(QMessageBox::Information,
                           LanguageManager::localized(QStringLiteral("已是最新版本")),
                           LanguageManager::localized(
                               QStringLiteral("Orlenta %@ 是目前的最新版本。"), {currentVersion}));
    box->addButton(LanguageManager::localized(QStringLiteral("好")), QMessageBox::AcceptRole);
    present(box);
}

void DialogUpdateUserInterface::showUpdateAvailable(const AppcastItem &item,
                                                    const QString &currentVersion)
{
    auto *box =
        messageBox(QMessageBox::Information,
                   LanguageManager::localized(QStringLiteral("Orlenta %@ 已可下载"),
                                              {item.displayVersionString()}),
                   LanguageManager::localized(QStringLiteral("当前版本为 %@。"), {currentVersion}));
    // The service refuses such feeds; a page that is not https still never
    // reaches the system's URL handler.
    const QUrl page = item.pageURL();
    if (UpdateService::isSecureLink(page)) {
        QPushButton *download = box->addButton(
            LanguageManager::localized(QStringLiteral("前往下载")), QMessageBox::AcceptRole);
        box->setDefaultButton(download);
        QObject::connect(download, &QPushButton::clicked, box,
                         [page] { QDesktopServices::openUrl(page); });
    }
    box->addButton(LanguageManager::localized(QStringLiteral("稍后")), QMessageBox::RejectRole);
    present(box);
}

void DialogUpdateUserInterface::showCheckFailed(const QString &reason)
{
    auto *box = messageBox(QMessageBox::Warning,
                           LanguageManager::localized(QStringLiteral("检查更新失败")), reason);
    box->addButton(LanguageManager::localized(QStringLiteral("好")), QMessageBox::AcceptRole);
    present(box);
}

void DialogUpdateUserInterface::showNotConfigured()
{
    showCheckFailed(LanguageManager::localized(QStringLiteral("此版本未设置更新地址。")));
}
