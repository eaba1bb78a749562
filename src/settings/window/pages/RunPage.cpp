#include "settings/window/pages/RunPage.h"

#include "language/LanguageManager.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"
#include "settings/window/pages/OptionCard.h"
#include "settings/window/pages/PlatformTexts.h"
#include "settings/window/pages/SettingsServices.h"
#include "settings/window/pages/TerminalChooser.h"
#include "ui/Card.h"
#include "ui/Layouts.h"
#include "ui/SymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Layouts;

namespace {

// How long a run card takes to show that it is chosen.
constexpr int runCardMilliseconds = 150;

} // namespace

RunPage::RunPage(const SettingsServices &services, QWidget *parent)
    : SettingsPage(parent), m_preferences(services.preferencesOrStandard())
{
    QVBoxLayout *layout = cardColumn();
    auto *mode = new Card(LanguageManager::localized(QStringLiteral("打开方式")), this);
    mode->setObjectName(QStringLiteral("runModeCard"));
    m_windowCard = new OptionCard(QStringLiteral("macwindow"),
                                  LanguageManager::localized(QStringLiteral("新窗口")),
                                  PlatformTexts::newWindowDetail(), mode);
    m_windowCard->setObjectName(QStringLiteral("runMode-") +
                                PreferenceKeys::runMode.toRaw(RunMode::window));
    m_tabCard = new OptionCard(
        QStringLiteral("uiwindow.split.2x1"), LanguageManager::localized(QStringLiteral("新标签")),
        LanguageManager::localized(QStringLiteral("在最前面的窗口中新建标签页运行。")), mode);
    m_tabCard->setObjectName(QStringLiteral("runMode-") +
                             PreferenceKeys::runMode.toRaw(RunMode::tab));
    auto *cards = new QHBoxLayout;
    cards->setSpacing(10);
    for (auto [card, mode] :
         {std::pair{m_windowCard, RunMode::window}, std::pair{m_tabCard, RunMode::tab}}) {
        card->setToolTip(LanguageManager::localized(QStringLiteral("点击选择此运行方式")));
        connect(card, &OptionCard::clicked, this,
                [this, mode = mode] { PreferenceKeys::runMode.write(m_preferences, mode); });
        card->setSelectionDuration(runCardMilliseconds);
        cards->addWidget(card, 1);
    }
    mode->body()->addLayout(cards);
    mode->addDivider();
    m_runHint = secondary(QString(), mode);
    m_runHint->setObjectName(QStringLiteral("runHint"));
    mode->addWidget(wrap(
        row(new SymbolIcon(QStringLiteral("info.circle"), 14, mode), column({m_runHint})), mode));
    layout->addWidget(mode);
#if !defined(Q_OS_MACOS)
    layout->addWidget(new TerminalChooser(services, this));
#endif

    connect(&m_preferences, &Preferences::changed, this, [this](const QString &key) {
        if (PreferenceKeys::runMode.is(key))
            refreshRunMode();
    });
    refreshRunMode();
}

void RunPage::refreshRunMode()
{
    // An unknown stored text chooses no card.
    const std::optional<RunMode> mode = PreferenceKeys::runMode.selection(m_preferences);
    m_windowCard->setSelected(mode == RunMode::window);
    m_tabCard->setSelected(mode == RunMode::tab);
    if (mode == RunMode::window)
        m_runHint->setText(LanguageManager::localized(
            QStringLiteral("多次运行互不干扰，适合同时查看多个脚本的输出。")));
    else
        m_runHint->setText(PlatformTexts::newTabHint());
}
