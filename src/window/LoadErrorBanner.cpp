#include "window/LoadErrorBanner.h"

#include "language/LanguageManager.h"
#include "library/ShellStore.h"
#include "ui/FileReveal.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

LoadErrorBanner::LoadErrorBanner(ShellStore &store, QWidget *parent)
    : QFrame(parent), m_store(store)
{
    setObjectName(QStringLiteral("loadErrorBanner"));
    setAutoFillBackground(true);
    QPalette colours = palette();
    QColor warning(230, 160, 20);
    warning.setAlphaF(0.18f);
    colours.setColor(QPalette::Window, warning);
    setPalette(colours);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("loadErrorText"));
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_text);
    m_reveal = new QPushButton(this);
    m_reveal->setObjectName(QStringLiteral("loadErrorReveal"));
    layout->addWidget(m_reveal, 0, Qt::AlignLeft);
    connect(m_reveal, &QPushButton::clicked, this,
            [this] { FileReveal::showInFileManager(keptPath()); });
    hide();

    // A save moves an unreadable document aside after the change is announced.
    connect(&m_store, &ShellStore::changed, this,
            [this] { QTimer::singleShot(0, this, &LoadErrorBanner::refresh); });
    connect(&LanguageManager::shared(), &LanguageManager::languageChanged, this,
            &LoadErrorBanner::retranslate);
    retranslate();
}

QString LoadErrorBanner::keptPath() const
{
    return m_store.movedAsidePath().value_or(m_store.currentDocumentPath());
}

void LoadErrorBanner::retranslate()
{
    m_reveal->setText(FileReveal::actionText());
    refresh();
}

void LoadErrorBanner::refresh()
{
    const std::optional<QString> &error = m_store.lastLoadError();
    setVisible(error.has_value());
    if (!error)
        return;
    m_text->setText(LanguageManager::localized(
        QStringLiteral("无法读取此配置文件，原文件保留在：%@"), {keptPath()}));
    setAccessibleName(m_text->text());
}
