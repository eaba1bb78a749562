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
        QString value;
        AppearancePreview::Variant variant;
    };
    const Choice choices[] = {
        {LanguageManager::localized(QStringLiteral("跟随系统")), QStringLiteral("system"),
         AppearancePreview::Variant::split},
        {LanguageManager::localized(QStringLiteral("亮色")), QStringLiteral("light"),
         AppearancePreview::Variant::light},
        {LanguageManager::localized(QStringLiteral("暗色")), QStringLiteral("dark"),
         AppearancePreview::Variant::dark},
    };
    for (const Choice &choice : choices) {
        auto *option = new OptionCard(new AppearancePreview(choice.variant), choice.title, card);
        option->setObjectName(QStringLiteral("appearance-") + choice.value);
        option->setProperty("value", choice.value);
        option->setToolTip(LanguageManager::localized(QStringLiteral("点击选择此外观")));
        connect(option, &OptionCard::clicked, this, [this, value = choice.value] {
            m_preferences.setString(PreferenceKeys::appearance, value);
            applyAppAppearance(value);
        });
        m_cards.append(option);
        cards->addWidget(option, 1);
    }
    card->body()->addLayout(cards);
    card->addDivider();
    card->addWidget(Layouts::secondary(PlatformTexts::appearanceNote(), card));
    layout->addWidget(card);

    connect(&m_preferences, &Preferences::changed, this, [this](const QString &key) {
        if (key == PreferenceKeys::appearance)
            refresh();
    });
    refresh();
}

void AppearancePage::refresh()
{
    const QString value =
        m_preferences.string(PreferenceKeys::appearance).value_or(QStringLiteral("system"));
    for (OptionCard *card : std::as_const(m_cards))
        card->setSelected(card->property("value").toString() == value);
}
