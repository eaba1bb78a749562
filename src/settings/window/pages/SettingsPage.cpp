#include "settings/window/pages/SettingsPage.h"

#include <QVBoxLayout>

QVBoxLayout *SettingsPage::cardColumn()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(22);
    layout->setAlignment(Qt::AlignTop);
    return layout;
}
