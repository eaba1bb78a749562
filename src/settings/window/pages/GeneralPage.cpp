#include "settings/window/pages/GeneralPage.h"

#include "language/AppLanguage.h"
#include "language/LanguageManager.h"
#include "library/ShellStore.h"
#include "platform/LoginItemService.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"
#include "settings/window/pages/ChoiceRow.h"
#include "settings/window/pages/PlatformTexts.h"
#include "settings/window/pages/SettingsServices.h"
#include "ui/Card.h"
#include "ui/ElidedLabel.h"
#include "ui/IconMap.h"
#include "ui/Layouts.h"
#include "ui/Switch.h"
#include "ui/SymbolIcon.h"
#include "ui/TextStyle.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Layouts;

GeneralPage::GeneralPage(ShellStore &store, const SettingsServices &services, QWidget *parent)
    : SettingsPage(parent), m_store(store), m_preferences(services.preferencesOrStandard()),
      m_loginItems(services.loginItems),
      m_systemLog(services.systemLog ? services.systemLog : std::function(writeSystemLog))
{
    QVBoxLayout *layout = cardColumn();
    m_profilesCard = new Card(LanguageManager::localized(QStringLiteral("已添加的配置文件")), this);
    m_profilesCard->setObjectName(QStringLiteral("profilesCard"));
    layout->addWidget(m_profilesCard);
    layout->addWidget(buildLogin());
    layout->addWidget(buildLanguages());

    connect(&m_store, &ShellStore::changed, this, &GeneralPage::refreshProfiles);
    connect(&m_preferences, &Preferences::changed, this, [this](const QString &key) {
        if (PreferenceKeys::launchAtLogin.is(key))
            refreshLogin();
    });
    refreshProfiles();
    refreshLogin();
}

Card *GeneralPage::buildLogin()
{
    auto *login = new Card(LanguageManager::localized(QStringLiteral("登录项")), this);
    login->setObjectName(QStringLiteral("loginCard"));
    const QString loginText = LanguageManager::localized(QStringLiteral("登录时启动 Orlenta"));
    const QString loginHelp = PlatformTexts::loginHelp();
    m_loginSwitch = new Switch(login);
    m_loginSwitch->setObjectName(QStringLiteral("loginSwitch"));
    m_loginSwitch->setAccessibleName(loginText);
    m_loginSwitch->setAccessibleDescription(loginHelp);
    m_loginSwitch->setToolTip(loginHelp);
    QLabel *loginLabel = label(loginText, login);
    loginLabel->setToolTip(loginHelp);
    auto *loginRow = wrap(row(nullptr, column({loginLabel}), m_loginSwitch), login);
    loginRow->setToolTip(loginHelp);
    login->addWidget(loginRow);
    connect(m_loginSwitch, &Switch::clicked, this, &GeneralPage::loginSwitched);
    return login;
}

Card *GeneralPage::buildLanguages()
{
    auto *languages = new Card(LanguageManager::localized(QStringLiteral("语言")), this);
    languages->setObjectName(QStringLiteral("languageCard"));
    const AppLanguage selected = LanguageManager::shared().selection();
    const QList<AppLanguage> all = AppLanguage::allCases();
    for (qsizetype i = 0; i < all.size(); ++i) {
        const AppLanguage language = all.at(i);
        if (i > 0)
            languages->addDivider();
        // Languages keep their own names; "follow the system" is read in the
        // current language, or a reader of only one language could not find it.
        const QString name = language == AppLanguage::system
                                 ? LanguageManager::localized(language.displayName())
                                 : language.displayName();
        auto *button = new ChoiceRow(name, languages->panel());
        button->setObjectName(QStringLiteral("language-") + language.toRaw());
        button->setChosen(language == selected);
        button->setAccessibleName(name);
        button->setToolTip(language == AppLanguage::system
                               ? PlatformTexts::systemLanguageHelp()
                               : LanguageManager::localized(QStringLiteral("切换到 %@"),
                                                            {language.displayName()}));
        connect(button, &ChoiceRow::clicked, this, [language] {
            // Rebuilding the window deletes this button: leave its handler first.
            QTimer::singleShot(0, &LanguageManager::shared(),
                               [language] { LanguageManager::shared().setSelection(language); });
        });
        languages->addWidget(button);
    }
    QLabel *note = secondary(LanguageManager::localized(QStringLiteral("更改语言后界面立即更新。")),
                             languages);
    languages->addWidget(note);
    // The rows reach 4 points past the card's margins, so their pressed and
    // focus frames have room while their texts line up with other cards.
    languages->body()->setContentsMargins(10, 12, 10, 12);
    note->setContentsMargins(4, 0, 4, 0);
    for (QFrame *line : languages->panel()->findChildren<QFrame *>(QStringLiteral("divider")))
        line->setContentsMargins(4, 0, 4, 0);
    return languages;
}

void GeneralPage::refreshProfiles()
{
    QVBoxLayout *body = m_profilesCard->body();
    while (QLayoutItem *item = body->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<Profile> profiles = m_store.customProfiles();
    m_profilesCard->setVisible(!profiles.isEmpty());
    for (qsizetype i = 0; i < profiles.size(); ++i) {
        const Profile profile = profiles.at(i);
        if (i > 0)
            m_profilesCard->addDivider();
        auto *rowWidget = new QWidget(m_profilesCard->panel());
        rowWidget->setObjectName(QStringLiteral("profileRow"));
        const QString shownName =
            ProfileRegistry::missingFolder(profile)
                ? LanguageManager::localized(QStringLiteral("%@（无法访问）"), {profile.name})
                : profile.name;
        rowWidget->setAccessibleName(shownName);
        QLabel *name = label(shownName, rowWidget);
        auto *path = new ElidedLabel(Qt::ElideMiddle, rowWidget);
        path->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        path->setObjectName(QStringLiteral("profilePath"));
        path->setForegroundRole(QPalette::PlaceholderText);
        QFont small = path->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        path->setFont(small);
        path->setFullText(profile.path);
        auto *remove = new QToolButton(rowWidget);
        remove->setObjectName(QStringLiteral("removeProfile"));
        remove->setAutoRaise(true);
        TextStyle::setTonedIcon(remove, QStringLiteral("minus.circle.fill"), 16,
                                TextStyle::Tone::destructive);
        remove->setIconSize(QSize(16, 16));
        remove->setToolTip(LanguageManager::localized(
            QStringLiteral("从切换列表移除该配置（可选择同时删除磁盘文件）")));
        remove->setAccessibleName(
            LanguageManager::localized(QStringLiteral("移除配置「%@」"), {profile.name}));
        connect(remove, &QToolButton::clicked, this, [this, profile] {
            QTimer::singleShot(0, this, [this, profile] { confirmRemoval(profile); });
        });
        rowWidget->setLayout(row(new SymbolIcon(QStringLiteral("doc.plaintext"), 18, rowWidget),
                                 column({name, path}), remove));
        rowWidget->layout()->setContentsMargins(0, 0, 0, 0);
        m_profilesCard->addWidget(rowWidget);
    }
}

void GeneralPage::confirmRemoval(const Profile &profile)
{
    m_pendingRemove = profile;
    QMessageBox dialog(this);
    dialog.setObjectName(QStringLiteral("removeProfileDialog"));
    dialog.setIcon(QMessageBox::Question);
    const QString title =
        LanguageManager::localized(QStringLiteral("移除配置「%@」"), {profile.name});
    dialog.setWindowTitle(title);
    dialog.setText(title);
    dialog.setInformativeText(LanguageManager::localized(
        QStringLiteral("是否同时删除磁盘上的配置文件？\n%@"), {profile.path}));
    QPushButton *keep = dialog.addButton(
        LanguageManager::localized(QStringLiteral("仅移除（保留文件）")), QMessageBox::AcceptRole);
    keep->setObjectName(QStringLiteral("removeKeepFile"));
    QPushButton *erase = dialog.addButton(
        LanguageManager::localized(QStringLiteral("移除并删除文件")), QMessageBox::DestructiveRole);
    erase->setObjectName(QStringLiteral("removeDeleteFile"));
    TextStyle::setTone(erase, TextStyle::Tone::destructive);
    QPushButton *cancel = dialog.addButton(LanguageManager::localized(QStringLiteral("取消")),
                                           QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("removeCancel"));
    dialog.setDefaultButton(cancel);
    dialog.setEscapeButton(cancel);
    dialog.exec();
    const std::optional<Profile> pending = std::exchange(m_pendingRemove, std::nullopt);
    if (!pending)
        return;
    if (dialog.clickedButton() == keep)
        m_store.removeProfile(pending->id, false);
    else if (dialog.clickedButton() == erase)
        m_store.removeProfile(pending->id, true);
}

void GeneralPage::refreshLogin()
{
    m_loginSwitch->setChecked(PreferenceKeys::launchAtLogin.read(m_preferences));
}

void GeneralPage::loginSwitched(bool on)
{
    PreferenceKeys::launchAtLogin.write(m_preferences, on);
    if (!m_loginItems)
        return;
    // A task of its own, as the switch may move again before it runs; it
    // reads the real status when it starts.
    std::shared_ptr<LoginItemService> service = m_loginItems;
    Preferences *store = &m_preferences;
    auto log = m_systemLog;
    QTimer::singleShot(0, store,
                       [service, store, log, on] { updateLoginItem(on, *service, *store, log); });
}

void GeneralPage::windowShown()
{
    if (!m_loginItems)
        return;
    const bool enabled = m_loginItems->status() == LoginItemService::Status::enabled;
    if (PreferenceKeys::launchAtLogin.stored(m_preferences) != enabled)
        PreferenceKeys::launchAtLogin.write(m_preferences, enabled);
}
