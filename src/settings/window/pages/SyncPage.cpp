#include "settings/window/pages/SyncPage.h"

#include "language/LanguageManager.h"
#include "library/ShellStore.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"
#include "settings/window/pages/PlatformTexts.h"
#include "settings/window/pages/SettingsServices.h"
#include "settings/window/pages/SyncStatusTile.h"
#include "ui/Card.h"
#include "ui/ElidedLabel.h"
#include "ui/Layouts.h"
#include "ui/StateTransition.h"
#include "ui/Switch.h"
#include "ui/SymbolIcon.h"

#include <QDir>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Layouts;

namespace {

const QString documentFileName = QStringLiteral("tallowBay.json");

// The label's text at this opacity; at 1 it follows the palette again.
void fadeText(QLabel *label, qreal opacity)
{
    if (opacity >= 1) {
        label->setPalette(QPalette());
        return;
    }
    QPalette palette = label->parentWidget()->palette();
    QColor color = palette.color(label->foregroundRole());
    color.setAlphaF(color.alphaF() * float(opacity));
    palette.setColor(label->foregroundRole(), color);
    label->setPalette(palette);
}

ElidedLabel *pathLabel(const QString &name, const QFont &font, QWidget *parent)
{
    auto *path = new ElidedLabel(Qt::ElideMiddle, parent);
    path->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    path->setObjectName(name);
    path->setForegroundRole(QPalette::PlaceholderText);
    path->setFont(font);
    return path;
}

} // namespace

SyncPage::SyncPage(ShellStore &store, const SettingsServices &services, QWidget *parent)
    : SettingsPage(parent), m_store(store), m_preferences(services.preferencesOrStandard()),
      m_reveal(services.reveal), m_chooseFolder(services.chooseFolder)
{
    m_syncOn = m_store.currentProfileID() == Profile::iCloudProfileID;
    QVBoxLayout *layout = cardColumn();
    buildSyncCard(layout);
    buildNotes(layout);
    connect(&m_store, &ShellStore::changed, this, &SyncPage::refreshSync);
    connect(&m_preferences, &Preferences::changed, this, [this](const QString &key) {
        if (PreferenceKeys::syncFolder.is(key))
            refreshSync();
    });
    refreshSync();
}

void SyncPage::buildSyncCard(QLayout *layout)
{
    auto *sync = new Card(PlatformTexts::syncTitle(), this);
    sync->setObjectName(QStringLiteral("syncCard"));
    m_syncTile = new SyncStatusTile(sync);
    m_syncTile->setObjectName(QStringLiteral("syncTile"));
    m_syncHeadline = bold(QString(), sync);
    m_syncHeadline->setObjectName(QStringLiteral("syncHeadline"));
    m_syncDetail = secondary(QString(), sync);
    m_syncDetail->setObjectName(QStringLiteral("syncDetail"));
    // The texts change at once (screen readers read the new ones) and fade in.
    m_syncTextFade = new StateTransition(m_syncHeadline, SyncStatusTile::changeMilliseconds, 1);
    connect(m_syncTextFade, &StateTransition::valueChanged, this, [this](qreal opacity) {
        fadeText(m_syncHeadline, opacity);
        fadeText(m_syncDetail, opacity);
    });
    m_syncSwitch = new Switch(sync);
    m_syncSwitch->setObjectName(QStringLiteral("syncSwitch"));
    m_syncSwitch->setSlideDuration(SyncStatusTile::changeMilliseconds);
    const QString switchHelp = PlatformTexts::syncSwitchHelp();
    m_syncSwitch->setToolTip(switchHelp);
    m_syncSwitch->setAccessibleName(sync->title());
    m_syncSwitch->setAccessibleDescription(switchHelp);
    // Only the user's own change reaches the store: mirroring the current
    // profile never moves it (a current custom profile shows the switch off).
    connect(m_syncSwitch, &Switch::clicked, this, [this](bool on) {
        m_syncOn = on;
        m_store.setSyncFromiCloud(on);
        refreshSync();
    });
    sync->addWidget(
        wrap(row(m_syncTile, column({m_syncHeadline, m_syncDetail}), m_syncSwitch), sync));
    sync->addDivider();

    // Smaller than the caption above it, as 10 points are beside a 13-point body.
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(font().pointSizeF() * 0.85);
    m_locationIcon = new SymbolIcon(QStringLiteral("icloud"), 18, sync);
    m_locationPath = pathLabel(QStringLiteral("syncPath"), mono, sync);
    auto *reveal = symbolButton(QStringLiteral("folder"), PlatformTexts::revealButton(), sync);
    reveal->setObjectName(QStringLiteral("revealButton"));
    reveal->setToolTip(PlatformTexts::revealHelp());
    connect(reveal, &QPushButton::clicked, this, [this] {
        if (m_reveal)
            m_reveal(shownDocumentPath());
    });
    sync->addWidget(
        wrap(row(m_locationIcon,
                 column({label(LanguageManager::localized(QStringLiteral("存储位置")), sync),
                         m_locationPath}),
                 reveal),
             sync));
#if !defined(Q_OS_MACOS)
    sync->addDivider();
    sync->addWidget(buildFolderRow(sync, mono));
#endif
    layout->addWidget(sync);
}

// The folder that stands in for the cloud drive: any folder a sync program
// keeps in step (Nextcloud, Dropbox, Syncthing…).
QWidget *SyncPage::buildFolderRow(QWidget *card, const QFont &pathFont)
{
    m_syncFolderPath = pathLabel(QStringLiteral("syncFolderPath"), pathFont, card);
    auto *choose = new QPushButton(LanguageManager::localized(QStringLiteral("选择…")), card);
    choose->setObjectName(QStringLiteral("chooseSyncFolder"));
    choose->setToolTip(LanguageManager::localized(
        QStringLiteral("选择由 Nextcloud、Dropbox、Syncthing 等同步软件同步的文件夹")));
    choose->setAccessibleName(LanguageManager::localized(QStringLiteral("选择同步文件夹")));
    connect(choose, &QPushButton::clicked, this, &SyncPage::chooseSyncFolder);
    m_defaultSyncFolder =
        new QPushButton(LanguageManager::localized(QStringLiteral("恢复默认")), card);
    m_defaultSyncFolder->setObjectName(QStringLiteral("defaultSyncFolder"));
    m_defaultSyncFolder->setToolTip(
        LanguageManager::localized(QStringLiteral("改回默认的同步文件夹")));
    connect(m_defaultSyncFolder, &QPushButton::clicked, this,
            [this] { m_store.setSyncFolder(QString()); });
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(choose);
    buttons->addWidget(m_defaultSyncFolder);
    QHBoxLayout *folderRow =
        row(new SymbolIcon(QStringLiteral("folder"), 18, card),
            column({label(LanguageManager::localized(QStringLiteral("同步文件夹")), card),
                    m_syncFolderPath}));
    folderRow->addLayout(buttons);
    return wrap(folderRow, card);
}

void SyncPage::buildNotes(QLayout *layout)
{
    auto *notes = new Card(LanguageManager::localized(QStringLiteral("说明")), this);
    notes->setObjectName(QStringLiteral("notesCard"));
    auto note = [notes](const QString &symbol, const QString &title, const QString &detail) {
        notes->addWidget(wrap(row(new SymbolIcon(symbol, 18, notes),
                                  column({bold(title, notes), secondary(detail, notes)})),
                              notes));
    };
    note(QStringLiteral("doc.on.doc"),
         LanguageManager::localized(QStringLiteral("两份文件各自独立")),
         PlatformTexts::separateFilesNote());
    note(QStringLiteral("icloud.and.arrow.up"),
         LanguageManager::localized(QStringLiteral("首次开启会自动复制")),
         PlatformTexts::firstCopyNote());
    layout->addWidget(notes);
}

QString SyncPage::shownDocumentPath() const
{
    if (m_syncOn)
        return QDir(QDir(m_store.syncFolder()).filePath(QStringLiteral("tallowBay"))).path() +
               u'/' + documentFileName;
    return m_store.localBase() + u'/' + documentFileName;
}

bool SyncPage::hasChosenFolder() const
{
    return !PreferenceKeys::syncFolder.read(m_preferences).isEmpty();
}

void SyncPage::windowShown()
{
    m_syncOn = m_store.currentProfileID() == Profile::iCloudProfileID;
    refreshSync();
}

void SyncPage::refreshSync()
{
    m_syncOn = m_store.currentProfileID() == Profile::iCloudProfileID;
    m_syncSwitch->setChecked(m_syncOn);
    if (m_syncTile->setActive(m_syncOn)) {
        m_syncTextFade->jumpTo(0);
        m_syncTextFade->setTarget(1);
    }
    // The default folder is the iCloud Drive folder; a chosen one goes by its name.
    const QString folderName = hasChosenFolder()
                                   ? QDir(m_store.syncFolder()).dirName()
                                   : LanguageManager::localized(QStringLiteral("iCloud 云盘"));
    m_syncHeadline->setText(m_syncOn ? PlatformTexts::syncOnHeadline()
                                     : LanguageManager::localized(QStringLiteral("仅保存在本机")));
    m_syncDetail->setText(m_syncOn ? PlatformTexts::syncOnDetail(folderName)
                                   : PlatformTexts::syncOffDetail());
    m_locationIcon->setSymbol(m_syncOn ? QStringLiteral("icloud")
                                       : QStringLiteral("internaldrive"));
    m_locationPath->setFullText(shownDocumentPath());
    if (m_syncFolderPath) {
        m_syncFolderPath->setFullText(m_store.syncFolder());
        m_defaultSyncFolder->setEnabled(hasChosenFolder());
    }
}

void SyncPage::chooseSyncFolder()
{
    if (!m_chooseFolder)
        return;
    const QString folder = m_chooseFolder(this, m_store.syncFolder());
    if (folder.isEmpty())
        return;
    m_store.setSyncFolder(folder);
    refreshSync();
}
