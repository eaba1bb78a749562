#include "window/TrayMissingBanner.h"

#include "language/LanguageManager.h"

#include <QLabel>
#include <QVBoxLayout>

TrayMissingBanner::TrayMissingBanner(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("trayMissingBanner"));
    setAutoFillBackground(true);
    QPalette colours = palette();
    QColor notice = colours.color(QPalette::Highlight);
    notice.setAlphaF(0.15f);
    colours.setColor(QPalette::Window, notice);
    setPalette(colours);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("trayMissingText"));
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_text);
    hide();
    connect(&LanguageManager::shared(), &LanguageManager::languageChanged, this,
            &TrayMissingBanner::retranslate);
    retranslate();
}

void TrayMissingBanner::retranslate()
{
    // clang-format off
    m_text->setText(LanguageManager::localized(QStringLiteral("桌面上还没有系统托盘。托盘出现后，Orlenta 的图标会自动显示；在此之前，关闭此窗口后可从应用程序菜单再次打开 Orlenta（或运行 orlenta）回到这里。")));
    // clang-format on
    setAccessibleName(m_text->text());
}
