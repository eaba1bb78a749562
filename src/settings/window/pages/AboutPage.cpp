#include "settings/window/pages/AboutPage.h"

#include "language/LanguageManager.h"
#include "settings/window/pages/PlatformTexts.h"
#include "settings/window/pages/SettingsServices.h"
#include "ui/Card.h"
#include "ui/IconMap.h"
#include "ui/Layouts.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Layouts;

AboutPage::AboutPage(const SettingsServices &services, QWidget *parent) : SettingsPage(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(14);
    layout->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto *icon = new QLabel(this);
    icon->setPixmap(IconMap::applicationIcon().pixmap(QSize(72, 72), devicePixelRatioF()));
    icon->setFixedSize(72, 72);
    icon->setAccessibleName(QStringLiteral("Orlenta"));
    layout->addWidget(icon, 0, Qt::AlignHCenter);

    QLabel *name = bold(QStringLiteral("Orlenta"), this);
    QFont title = name->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setWeight(QFont::Bold);
    name->setFont(title);
    name->setAlignment(Qt::AlignCenter);
    layout->addWidget(name);

    QLabel *tagline = secondary(PlatformTexts::tagline(), this, 1.0);
    tagline->setAlignment(Qt::AlignCenter);
    layout->addWidget(tagline);

    QLabel *version = secondary(LanguageManager::localized(QStringLiteral("版本 %@（构建 %@）"),
                                                           {services.version, services.build}),
                                this);
    version->setObjectName(QStringLiteral("versionLine"));
    version->setAlignment(Qt::AlignCenter);
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(version);

    QFrame *line = Card::divider(this);
    line->setFixedWidth(320);
    layout->addWidget(line, 0, Qt::AlignHCenter);

    if (!services.checkForUpdates) {
        // A build without a feed: its package manager brings new versions.
        QLabel *packaged = secondary(
            LanguageManager::localized(QStringLiteral("此版本的更新由系统的软件包管理器提供。")),
            this);
        packaged->setObjectName(QStringLiteral("packageManagerUpdates"));
        packaged->setAlignment(Qt::AlignCenter);
        packaged->setWordWrap(true);
        layout->addWidget(packaged);
        return;
    }
    auto *check = symbolButton(QStringLiteral("arrow.down.circle"),
                               LanguageManager::localized(QStringLiteral("检查更新…")), this);
    check->setObjectName(QStringLiteral("checkForUpdates"));
    check->setToolTip(PlatformTexts::updateHelp());
    connect(check, &QPushButton::clicked, this,
            [checkForUpdates = services.checkForUpdates] { checkForUpdates(); });
    layout->addWidget(check, 0, Qt::AlignHCenter);
}
