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
    const std::optional<QString> away = m_store.unreachableFolder();
    const std::optional<QString> &error = m_store.lastLoadError();
    const std::optional<QString> &notSaved = m_store.lastSaveError();
    setVisible(away || error || notSaved);
    // Nothing to show in the file manager while the folder is away.
    m_reveal->setVisible(!away);
    if (away) {
        // clang-format off
        m_text->setText(LanguageManager::localized(QStringLiteral("此配置文件所在的文件夹现在无法访问（磁盘未挂载，或网络位置未连接？）：%@。在它恢复之前，更改不会保存。"), {*away}));
        // clang-format on
    } else if (error) {
        m_text->setText(LanguageManager::localized(
            QStringLiteral("无法读取此配置文件，原文件保留在：%@"), {keptPath()}));
    } else if (notSaved) {
        m_text->setText(LanguageManager::localized(QStringLiteral("未能保存：%@。这次更改已撤回。"),
                                                   {*notSaved}));
    } else {
        return;
    }
    setAccessibleName(m_text->text());
}
