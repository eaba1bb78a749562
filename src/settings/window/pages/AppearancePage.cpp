#include "settings/window/pages/AppearancePage.h"

#include "language/LanguageManager.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"
#include "settings/window/pages/AppearancePreview.h"
#include "settings/window/pages/OptionCard.h"
#include "settings/window/pages/PlatformTexts.h"
#include "settings/window/pages/SettingsServices.h"
#include "ui/Appearance.h"
#include "ui/Card.h"
#include "ui/Layouts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

AppearancePage::AppearancePage(const SettingsServices &services, QWidget *parent)
    : SettingsPage(parent), m_preferences(services.preferencesOrStandard())
{
    QVBoxLayout *layout = cardColumn();
    auto *card = new Card(LanguageManager::localized(QStringLiteral("外观")), this);
    card->setObjectName(QStringLiteral("appearanceCard"));
    auto *cards = new QHBoxLayout;
    cards->setSpacing(16);
    struct Choice
    {
        QString title;
        AppearanceMode mode;
        AppearancePreview::Variant variant;
    };
    const Choice choices[] = {
        {LanguageManager::localized(QStringLiteral("跟随系统")), AppearanceMode::system,
         AppearancePreview::Variant::split},
        {LanguageManager::localized(QStringLiteral("亮色")), AppearanceMode::light,
         AppearancePreview::Variant::light},
        {LanguageManager::localized(QStringLiteral("暗色")), AppearanceMode::dark,
         AppearancePreview::Variant::dark},
    };
    for (const Choice &choice : choices) {
        auto *option = new OptionCard(new AppearancePreview(choice.variant), choice.title, card);
        option->setObjectName(QStringLiteral("appearance-") +
                              PreferenceKeys::appearance.toRaw(choice.mode));
        option->setToolTip(LanguageManager::localized(QStringLiteral("点击选择此外观")));
        connect(option, &OptionCard::clicked, this, [this, mode = choice.mode] {
            PreferenceKeys::appearance.write(m_preferences, mode);
            applyAppAppearance(mode);
        });
        m_cards.append({option, choice.mode});
        cards->addWidget(option, 1);
    }
    card->body()->addLayout(cards);
    card->addDivider();
    card->addWidget(Layouts::secondary(PlatformTexts::appearanceNote(), card));
    layout->addWidget(card);

    connect(&m_preferences, &Preferences::changed, this, [this](const QString &key) {
        if (PreferenceKeys::appearance.is(key))
            refresh();
    });
    refresh();
}

void AppearancePage::refresh()
{
    // An unknown stored text chooses no card (and looks as system does).
    const std::optional<AppearanceMode> mode = PreferenceKeys::appearance.selection(m_preferences);
    for (const auto &[card, cardMode] : std::as_const(m_cards))
        card->setSelected(cardMode == mode);
}
