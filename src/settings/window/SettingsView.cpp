#include "settings/window/SettingsView.h"

#include "language/AppLanguage.h"
#include "language/LanguageManager.h"
#include "library/ShellStore.h"
#include "platform/LoginItemService.h"
#include "run/ShellRunner.h"
#include "run/ShellWords.h"
#include "run/TerminalBackEnd.h"
#include "run/TerminalCatalogue.h"
#include "run/TerminalTrial.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"
#include "settings/window/AppearancePreview.h"
#include "settings/window/ChoiceRow.h"
#include "settings/window/OptionCard.h"
#include "ui/Appearance.h"
#include "ui/Card.h"
#include "ui/ElidedLabel.h"
#include "ui/IconMap.h"
#include "ui/StateTransition.h"
#include "ui/Switch.h"
#include "ui/SymbolIcon.h"

#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

// Texts that name a macOS place or product have a Linux wording of their own.
#if defined(Q_OS_MACOS)
#define PLATFORM_TEXT(mac, other) (mac)
#else
#define PLATFORM_TEXT(mac, other) (other)
#endif

namespace {

QString localized(const QString &key, const QStringList &args = {})
{
    return LanguageManager::localized(key, args);
}

const QString documentFileName = QStringLiteral("tallowBay.json");
const QLatin1StringView customTerminal{"custom"};

QLabel *label(const QString &text, QWidget *parent)
{
    auto *result = new QLabel(text, parent);
    result->setWordWrap(true);
    result->setTextFormat(Qt::PlainText);
    return result;
}

QLabel *secondary(const QString &text, QWidget *parent, qreal scale = 0.9)
{
    QLabel *result = label(text, parent);
    result->setForegroundRole(QPalette::PlaceholderText);
    QFont font = result->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    result->setFont(font);
    return result;
}

QLabel *bold(const QString &text, QWidget *parent)
{
    QLabel *result = label(text, parent);
    QFont font = result->font();
    font.setWeight(QFont::DemiBold);
    result->setFont(font);
    return result;
}

// How long the sync status row and the run cards take to show a change.
constexpr int syncRowMilliseconds = 180;
constexpr int runCardMilliseconds = 150;

// A small tinted rounded square holding a symbol, stronger when active; a
// change cross-fades the tint and the symbol.
class StatusTile : public QWidget
{
public:
    explicit StatusTile(QWidget *parent)
        : QWidget(parent), m_state(new StateTransition(this, syncRowMilliseconds))
    {
        setFixedSize(42, 42);
    }
    // Whether the change was one.
    bool setActive(bool active)
    {
        const qreal target = active ? 1 : 0;
        const bool changed = m_state->target() != target;
        m_state->setTarget(target);
        return changed;
    }
    qreal activeProgress() const { return m_state->value(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal on = m_state->value();
        QColor tint = palette().color(QPalette::Highlight);
        tint.setAlphaF(float(0.10 + 0.18 * on));
        p.setPen(Qt::NoPen);
        p.setBrush(tint);
        p.drawRoundedRect(QRectF(rect()), 10, 10);
        const QSize size(22, 22);
        const QPoint corner(10, 10);
        if (on < 1) {
            p.setOpacity(1 - on);
            p.drawPixmap(corner, IconMap::pixmap(QStringLiteral("internaldrive.fill"), size,
                                                 palette().color(QPalette::WindowText),
                                                 devicePixelRatioF()));
        }
        if (on > 0) {
            p.setOpacity(on);
            p.drawPixmap(corner, IconMap::pixmap(QStringLiteral("icloud.fill"), size,
                                                 palette().color(QPalette::Highlight),
                                                 devicePixelRatioF()));
        }
    }

private:
    StateTransition *m_state;
};

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

// A row of a symbol, a column of texts and whatever goes at the right.
QHBoxLayout *row(QWidget *symbol, QLayout *texts, QWidget *right = nullptr)
{
    auto *layout = new QHBoxLayout;
    layout->setSpacing(10);
    if (symbol)
        layout->addWidget(symbol, 0, Qt::AlignTop);
    auto *holder = new QVBoxLayout;
    holder->setSpacing(2);
    holder->addLayout(texts);
    layout->addLayout(holder, 1);
    if (right)
        layout->addWidget(right, 0, Qt::AlignVCenter);
    return layout;
}

// A push button with a symbol before its text, with room around both: the
// style's own size puts the symbol against the frame.
QPushButton *symbolButton(const QString &symbol, const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(IconMap::icon(symbol), text, parent);
    button->setMinimumWidth(button->sizeHint().width() + 12);
    return button;
}

QVBoxLayout *column(std::initializer_list<QWidget *> widgets)
{
    auto *layout = new QVBoxLayout;
    layout->setSpacing(2);
    for (QWidget *widget : widgets)
        layout->addWidget(widget);
    return layout;
}

QWidget *wrap(QLayout *layout, QWidget *parent)
{
    auto *widget = new QWidget(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    widget->setLayout(layout);
    return widget;
}

} // namespace

SettingsView::SettingsView(ShellStore &store, SettingsServices services, QWidget *parent)
    : QWidget(parent), m_store(store), m_services(std::move(services))
{
    m_syncOn = m_store.currentProfileID() == Profile::iCloudProfileID;
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->setDocumentMode(true);
    m_tabs->setIconSize(QSize(16, 16));
    layout->addWidget(m_tabs);

    struct Tab
    {
        QString name;
        QWidget *content;
        QString symbol;
        QString label;
    };
    const Tab tabs[] = {
        {QStringLiteral("general"), buildGeneral(), QStringLiteral("gearshape"),
         localized(QStringLiteral("通用"))},
        {QStringLiteral("sync"), buildSync(), QStringLiteral("icloud"),
         localized(QStringLiteral("同步"))},
        {QStringLiteral("run"), buildRun(), QStringLiteral("terminal"),
         localized(QStringLiteral("运行"))},
        {QStringLiteral("appearance"), buildAppearance(), QStringLiteral("paintbrush"),
         localized(QStringLiteral("外观"))},
        {QStringLiteral("about"), buildAbout(), QStringLiteral("info.circle"),
         localized(QStringLiteral("关于"))},
    };
    for (const Tab &tab : tabs) {
        QWidget *scroll = page(tab.name, tab.content);
        // The page takes focus to scroll by keyboard; a screen reader names it by its tab.
        scroll->setAccessibleName(tab.label);
        m_tabs->addTab(scroll, IconMap::icon(tab.symbol), tab.label);
    }

    connect(&m_store, &ShellStore::changed, this, [this] {
        refreshProfiles();
        refreshSync();
    });
    connect(&preferences(), &Preferences::changed, this, &SettingsView::preferenceChanged);
    refreshProfiles();
    refreshLogin();
    refreshSync();
    refreshRunMode();
    refreshTerminal();
    refreshAppearance();
}

SettingsView::~SettingsView() = default;

Preferences &SettingsView::preferences() const
{
    return m_services.preferences ? *m_services.preferences : Preferences::standard();
}

SettingsTab SettingsView::selection() const
{
    return SettingsTab(m_tabs->currentIndex());
}

void SettingsView::setSelection(SettingsTab tab)
{
    m_tabs->setCurrentIndex(int(tab));
}

// A column of cards, top-left, 20 points from the edges and 22 apart,
// scrolling when a long language runs past the fixed window height.
QWidget *SettingsView::page(const QString &name, QWidget *content)
{
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(name);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(content);
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return scroll;
}

static QVBoxLayout *cardColumn(QWidget *content)
{
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(22);
    layout->setAlignment(Qt::AlignTop);
    return layout;
}

// General tab.

QWidget *SettingsView::buildGeneral()
{
    auto *content = new QWidget;
    QVBoxLayout *layout = cardColumn(content);

    m_profilesCard = new Card(localized(QStringLiteral("已添加的配置文件")), content);
    m_profilesCard->setObjectName(QStringLiteral("profilesCard"));
    layout->addWidget(m_profilesCard);

    auto *login = new Card(localized(QStringLiteral("登录项")), content);
    login->setObjectName(QStringLiteral("loginCard"));
    const QString loginText = localized(QStringLiteral("登录时启动 Orlenta"));
    // clang-format off
    const QString loginHelp = PLATFORM_TEXT(
        localized(QStringLiteral("开机登录时自动在菜单栏启动 Orlenta。需将 App 安装到“应用程序”文件夹并正常签名后才会生效；开发调试时可能注册失败，属正常。")),
        localized(QStringLiteral("登录桌面时自动在系统托盘启动 Orlenta（在 ~/.config/autostart 中添加自启动项）。")));
    // clang-format on
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
    connect(m_loginSwitch, &Switch::clicked, this, &SettingsView::loginSwitched);
    layout->addWidget(login);

    auto *languages = new Card(localized(QStringLiteral("语言")), content);
    languages->setObjectName(QStringLiteral("languageCard"));
    const AppLanguage selected = LanguageManager::shared().selection();
    const QList<AppLanguage> all = AppLanguage::allCases();
    for (qsizetype i = 0; i < all.size(); ++i) {
        const AppLanguage language = all.at(i);
        if (i > 0)
            languages->addDivider();
        // Languages keep their own names; "follow the system" is read in the
        // current language, or a reader of only one language could not find it.
        const QString name = language == AppLanguage::system ? localized(language.displayName())
                                                             : language.displayName();
        auto *button = new ChoiceRow(name, languages->panel());
        button->setObjectName(QStringLiteral("language-") + language.toRaw());
        button->setChosen(language == selected);
        button->setAccessibleName(name);
        button->setToolTip(
            language == AppLanguage::system
                ? PLATFORM_TEXT(localized(QStringLiteral("跟随系统：按当前 Mac 语言自动选择")),
                                localized(QStringLiteral("跟随系统：按当前系统语言自动选择")))
                : localized(QStringLiteral("切换到 %@"), {language.displayName()}));
        connect(button, &ChoiceRow::clicked, this, [language] {
            // Rebuilding the window deletes this button: leave its handler first.
            QTimer::singleShot(0, &LanguageManager::shared(),
                               [language] { LanguageManager::shared().setSelection(language); });
        });
        languages->addWidget(button);
    }
    QLabel *note = secondary(localized(QStringLiteral("更改语言后界面立即更新。")), languages);
    languages->addWidget(note);
    // The rows reach 4 points past the card's margins, so their pressed and
    // focus frames have room while their texts line up with other cards.
    languages->body()->setContentsMargins(10, 12, 10, 12);
    note->setContentsMargins(4, 0, 4, 0);
    for (QFrame *line : languages->panel()->findChildren<QFrame *>(QStringLiteral("divider")))
        line->setContentsMargins(4, 0, 4, 0);
    layout->addWidget(languages);
    return content;
}

void SettingsView::refreshProfiles()
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
        rowWidget->setAccessibleName(profile.name);
        QLabel *name = label(profile.name, rowWidget);
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
        remove->setIcon(QIcon(IconMap::pixmap(QStringLiteral("minus.circle.fill"), QSize(16, 16),
                                              QColor(224, 62, 62), devicePixelRatioF())));
        remove->setIconSize(QSize(16, 16));
        remove->setToolTip(
            localized(QStringLiteral("从切换列表移除该配置（可选择同时删除磁盘文件）")));
        remove->setAccessibleName(localized(QStringLiteral("移除配置「%@」"), {profile.name}));
        connect(remove, &QToolButton::clicked, this, [this, profile] {
            QTimer::singleShot(0, this, [this, profile] { confirmRemoval(profile); });
        });
        rowWidget->setLayout(row(new SymbolIcon(QStringLiteral("doc.plaintext"), 18, rowWidget),
                                 column({name, path}), remove));
        rowWidget->layout()->setContentsMargins(0, 0, 0, 0);
        m_profilesCard->addWidget(rowWidget);
    }
}

void SettingsView::confirmRemoval(const Profile &profile)
{
    m_pendingRemove = profile;
    QMessageBox dialog(this);
    dialog.setObjectName(QStringLiteral("removeProfileDialog"));
    dialog.setIcon(QMessageBox::Question);
    const QString title = localized(QStringLiteral("移除配置「%@」"), {profile.name});
    dialog.setWindowTitle(title);
    dialog.setText(title);
    dialog.setInformativeText(
        localized(QStringLiteral("是否同时删除磁盘上的配置文件？\n%@"), {profile.path}));
    QPushButton *keep =
        dialog.addButton(localized(QStringLiteral("仅移除（保留文件）")), QMessageBox::AcceptRole);
    keep->setObjectName(QStringLiteral("removeKeepFile"));
    QPushButton *erase =
        dialog.addButton(localized(QStringLiteral("移除并删除文件")), QMessageBox::DestructiveRole);
    erase->setObjectName(QStringLiteral("removeDeleteFile"));
    QPushButton *cancel =
        dialog.addButton(localized(QStringLiteral("取消")), QMessageBox::RejectRole);
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

void SettingsView::refreshLogin()
{
    m_loginSwitch->setChecked(preferences().boolean(PreferenceKeys::launchAtLogin).value_or(false));
}

void SettingsView::loginSwitched(bool on)
{
    preferences().setBoolean(PreferenceKeys::launchAtLogin, on);
    if (!m_services.loginItems)
        return;
    // A task of its own, as the switch may move again before it runs; it
    // reads the real status when it starts.
    std::shared_ptr<LoginItemService> service = m_services.loginItems;
    Preferences *store = &preferences();
    auto log = m_services.systemLog ? m_services.systemLog : std::function(writeSystemLog);
    QTimer::singleShot(0, store,
                       [service, store, log, on] { updateLoginItem(on, *service, *store, log); });
}

void SettingsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_syncOn = m_store.currentProfileID() == Profile::iCloudProfileID;
    refreshSync();
    if (!m_services.loginItems)
        return;
    const bool enabled = m_services.loginItems->status() == LoginItemService::Status::enabled;
    if (preferences().boolean(PreferenceKeys::launchAtLogin) != enabled)
        preferences().setBoolean(PreferenceKeys::launchAtLogin, enabled);
}

// Sync tab.

QWidget *SettingsView::buildSync()
{
    auto *content = new QWidget;
    QVBoxLayout *layout = cardColumn(content);

    auto *sync = new Card(PLATFORM_TEXT(localized(QStringLiteral("iCloud 同步")),
                                        localized(QStringLiteral("文件夹同步"))),
                          content);
    sync->setObjectName(QStringLiteral("syncCard"));
    m_syncTile = new StatusTile(sync);
    m_syncTile->setObjectName(QStringLiteral("syncTile"));
    m_syncHeadline = bold(QString(), sync);
    m_syncHeadline->setObjectName(QStringLiteral("syncHeadline"));
    m_syncDetail = secondary(QString(), sync);
    m_syncDetail->setObjectName(QStringLiteral("syncDetail"));
    // The texts change at once (screen readers read the new ones) and fade in.
    m_syncTextFade = new StateTransition(m_syncHeadline, syncRowMilliseconds, 1);
    connect(m_syncTextFade, &StateTransition::valueChanged, this, [this](qreal opacity) {
        fadeText(m_syncHeadline, opacity);
        fadeText(m_syncDetail, opacity);
    });
    m_syncSwitch = new Switch(sync);
    m_syncSwitch->setObjectName(QStringLiteral("syncSwitch"));
    m_syncSwitch->setSlideDuration(syncRowMilliseconds);
    // clang-format off
    const QString switchHelp = PLATFORM_TEXT(
        localized(QStringLiteral("开启后配置保存到 iCloud 云盘并在多设备间同步；关闭则仅保存在本机文稿。若 iCloud 中还没有配置，会自动复制一份过去。")),
        localized(QStringLiteral("开启后配置保存到同步文件夹，由同步软件在多台设备间同步；关闭则仅保存在本机文稿。若同步文件夹中还没有配置，会自动复制一份过去。")));
    // clang-format on
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

    m_locationIcon = new SymbolIcon(QStringLiteral("icloud"), 18, sync);
    m_locationPath = new ElidedLabel(Qt::ElideMiddle, sync);
    m_locationPath->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                            Qt::TextSelectableByKeyboard);
    m_locationPath->setObjectName(QStringLiteral("syncPath"));
    m_locationPath->setForegroundRole(QPalette::PlaceholderText);
    // Smaller than the caption above it, as 10 points are beside a 13-point body.
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(font().pointSizeF() * 0.85);
    m_locationPath->setFont(mono);
    auto *reveal = symbolButton(QStringLiteral("folder"),
                                PLATFORM_TEXT(localized(QStringLiteral("在访达中显示")),
                                              localized(QStringLiteral("在文件管理器中显示"))),
                                sync);
    reveal->setObjectName(QStringLiteral("revealButton"));
    reveal->setToolTip(
        PLATFORM_TEXT(localized(QStringLiteral("在访达中定位并选中该 tallowBay.json 文件")),
                      localized(QStringLiteral("在文件管理器中定位并选中该 tallowBay.json 文件"))));
    connect(reveal, &QPushButton::clicked, this, [this] {
        if (m_services.reveal)
            m_services.reveal(shownDocumentPath());
    });
    sync->addWidget(wrap(
        row(m_locationIcon,
            column({label(localized(QStringLiteral("存储位置")), sync), m_locationPath}), reveal),
        sync));

#if !defined(Q_OS_MACOS)
    // The folder that stands in for the cloud drive: any folder a sync
    // program keeps in step (Nextcloud, Dropbox, Syncthing…).
    sync->addDivider();
    m_syncFolderPath = new ElidedLabel(Qt::ElideMiddle, sync);
    m_syncFolderPath->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                              Qt::TextSelectableByKeyboard);
    m_syncFolderPath->setObjectName(QStringLiteral("syncFolderPath"));
    m_syncFolderPath->setForegroundRole(QPalette::PlaceholderText);
    m_syncFolderPath->setFont(mono);
    auto *choose = new QPushButton(localized(QStringLiteral("选择…")), sync);
    choose->setObjectName(QStringLiteral("chooseSyncFolder"));
    choose->setToolTip(
        localized(QStringLiteral("选择由 Nextcloud、Dropbox、Syncthing 等同步软件同步的文件夹")));
    choose->setAccessibleName(localized(QStringLiteral("选择同步文件夹")));
    connect(choose, &QPushButton::clicked, this, &SettingsView::chooseSyncFolder);
    m_defaultSyncFolder = new QPushButton(localized(QStringLiteral("恢复默认")), sync);
    m_defaultSyncFolder->setObjectName(QStringLiteral("defaultSyncFolder"));
    m_defaultSyncFolder->setToolTip(localized(QStringLiteral("改回默认的同步文件夹")));
    connect(m_defaultSyncFolder, &QPushButton::clicked, this,
            [this] { m_store.setSyncFolder(QString()); });
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(choose);
    buttons->addWidget(m_defaultSyncFolder);
    QHBoxLayout *folderRow =
        row(new SymbolIcon(QStringLiteral("folder"), 18, sync),
            column({label(localized(QStringLiteral("同步文件夹")), sync), m_syncFolderPath}));
    folderRow->addLayout(buttons);
    sync->addWidget(wrap(folderRow, sync));
#endif
    layout->addWidget(sync);

    auto *notes = new Card(localized(QStringLiteral("说明")), content);
    notes->setObjectName(QStringLiteral("notesCard"));
    auto note = [notes](const QString &symbol, const QString &title, const QString &detail) {
        notes->addWidget(wrap(row(new SymbolIcon(symbol, 18, notes),
                                  column({bold(title, notes), secondary(detail, notes)})),
                              notes));
    };
    // clang-format off
    note(QStringLiteral("doc.on.doc"), localized(QStringLiteral("两份文件各自独立")),
         PLATFORM_TEXT(localized(QStringLiteral("本机文稿与 iCloud 云盘各存一份 tallowBay.json，不会自动合并；切换开关后看不到对方那套脚本属于正常现象。")),
                       localized(QStringLiteral("本机文稿与同步文件夹各存一份 tallowBay.json，不会自动合并；切换开关后看不到对方那套脚本属于正常现象。"))));
    note(QStringLiteral("icloud.and.arrow.up"), localized(QStringLiteral("首次开启会自动复制")),
         PLATFORM_TEXT(localized(QStringLiteral("若 iCloud 中还没有配置，会把当前本机配置复制一份过去作为起点，之后各存各的。")),
                       localized(QStringLiteral("若同步文件夹中还没有配置，会把当前配置复制一份过去作为起点，之后各存各的。更换同步文件夹时也是如此。"))));
    // clang-format on
    layout->addWidget(notes);
    return content;
}

QString SettingsView::shownDocumentPath() const
{
    if (m_syncOn)
        return QDir(QDir(m_store.syncFolder()).filePath(QStringLiteral("tallowBay"))).path() +
               u'/' + documentFileName;
    return m_store.localBase() + u'/' + documentFileName;
}

void SettingsView::refreshSync()
{
    m_syncOn = m_store.currentProfileID() == Profile::iCloudProfileID;
    m_syncSwitch->setChecked(m_syncOn);
    if (static_cast<StatusTile *>(m_syncTile)->setActive(m_syncOn)) {
        m_syncTextFade->jumpTo(0);
        m_syncTextFade->setTarget(1);
    }
    // The default folder is the iCloud Drive folder; a chosen one goes by its name.
    const QString folderName =
        preferences().string(PreferenceKeys::syncFolder).value_or(QString()).isEmpty()
            ? localized(QStringLiteral("iCloud 云盘"))
            : QDir(m_store.syncFolder()).dirName();
    Q_UNUSED(folderName); // the macOS wording names no folder
    // clang-format off
    if (m_syncOn) {
        m_syncHeadline->setText(PLATFORM_TEXT(localized(QStringLiteral("iCloud 同步已开启")),
                                              localized(QStringLiteral("文件夹同步已开启"))));
        m_syncDetail->setText(PLATFORM_TEXT(
            localized(QStringLiteral("配置保存到 iCloud 云盘，并在你的多台 Mac 之间同步。")),
            localized(QStringLiteral("配置保存到同步文件夹「%@」，由同步软件在你的多台设备之间同步。"),
                      {folderName})));
    } else {
        m_syncHeadline->setText(localized(QStringLiteral("仅保存在本机")));
        m_syncDetail->setText(PLATFORM_TEXT(
            localized(QStringLiteral("配置只保存在本机文稿，不参与 iCloud 同步。")),
            localized(QStringLiteral("配置只保存在本机文稿，不参与同步。"))));
    }
    // clang-format on
    m_locationIcon->setSymbol(m_syncOn ? QStringLiteral("icloud")
                                       : QStringLiteral("internaldrive"));
    m_locationPath->setFullText(shownDocumentPath());
    if (m_syncFolderPath) {
        m_syncFolderPath->setFullText(m_store.syncFolder());
        m_defaultSyncFolder->setEnabled(
            !preferences().string(PreferenceKeys::syncFolder).value_or(QString()).isEmpty());
    }
}

void SettingsView::chooseSyncFolder()
{
    if (!m_services.chooseFolder)
        return;
    const QString folder = m_services.chooseFolder(this, m_store.syncFolder());
    if (folder.isEmpty())
        return;
    m_store.setSyncFolder(folder);
    refreshSync();
}

// Run tab.

QWidget *SettingsView::buildRun()
{
    auto *content = new QWidget;
    QVBoxLayout *layout = cardColumn(content);

    auto *mode = new Card(localized(QStringLiteral("打开方式")), content);
    mode->setObjectName(QStringLiteral("runModeCard"));
    m_windowCard = new OptionCard(
        QStringLiteral("macwindow"), localized(QStringLiteral("新窗口")),
        PLATFORM_TEXT(localized(QStringLiteral("每次运行打开一个独立的 Terminal 窗口。")),
                      localized(QStringLiteral("每次运行打开一个独立的终端窗口。"))),
        mode);
    m_windowCard->setObjectName(QStringLiteral("runMode-window"));
    m_tabCard =
        new OptionCard(QStringLiteral("uiwindow.split.2x1"), localized(QStringLiteral("新标签")),
                       localized(QStringLiteral("在最前面的窗口中新建标签页运行。")), mode);
    m_tabCard->setObjectName(QStringLiteral("runMode-tab"));
    auto *cards = new QHBoxLayout;
    cards->setSpacing(10);
    for (auto [card, value] : {std::pair{m_windowCard, QStringLiteral("window")},
                               std::pair{m_tabCard, QStringLiteral("tab")}}) {
        card->setToolTip(localized(QStringLiteral("点击选择此运行方式")));
        connect(card, &OptionCard::clicked, this,
                [this, value = value] { preferences().setString(PreferenceKeys::runMode, value); });
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
    layout->addWidget(buildTerminalCard());
#endif
    return content;
}

void SettingsView::refreshRunMode()
{
    const std::optional<QString> mode = preferences().string(PreferenceKeys::runMode);
    const QString value = mode.value_or(QStringLiteral("window"));
    m_windowCard->setSelected(value == u"window");
    m_tabCard->setSelected(value == u"tab");
    // clang-format off
    m_runHint->setText(value == u"window"
        ? localized(QStringLiteral("多次运行互不干扰，适合同时查看多个脚本的输出。"))
        : PLATFORM_TEXT(localized(QStringLiteral("需在「系统设置 › 隐私与安全性 › 辅助功能」中授权，否则会自动回退为新窗口。")),
                        localized(QStringLiteral("新标签需要终端支持从外部新建标签页：GNOME Terminal、Konsole、Xfce Terminal、Tilix、Terminator、WezTerm，以及开启了远程控制的 kitty；其他终端会自动回退为新窗口。"))));
    // clang-format on
}

Card *SettingsView::buildTerminalCard()
{
    auto *card = new Card(localized(QStringLiteral("终端")), nullptr);
    card->setObjectName(QStringLiteral("terminalCard"));
    m_terminalChoice = new QComboBox(card);
    m_terminalChoice->setObjectName(QStringLiteral("terminalChoice"));
    m_terminalChoice->setAccessibleName(localized(QStringLiteral("终端")));
    m_terminalChoice->setToolTip(localized(QStringLiteral("脚本在哪个终端程序中运行")));
    m_terminalChoice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_terminalChoice->setMinimumContentsLength(16);
    connect(m_terminalChoice, &QComboBox::activated, this, &SettingsView::terminalChosen);
    card->addWidget(m_terminalChoice);

    m_terminalCommand = new QLineEdit(card);
    m_terminalCommand->setObjectName(QStringLiteral("terminalCommand"));
    m_terminalCommand->setAccessibleName(localized(QStringLiteral("自定义终端命令")));
    m_terminalCommand->setPlaceholderText(QStringLiteral("xterm -e {command}"));
    connect(m_terminalCommand, &QLineEdit::editingFinished, this,
            &SettingsView::storeCustomTerminal);
    card->addWidget(m_terminalCommand);
    // clang-format off
    m_terminalHelp = secondary(localized(QStringLiteral("用 {command} 标出要运行的命令；没有 {command} 时，命令跟在 -e 之后。")), card);
    // clang-format on
    card->addWidget(m_terminalHelp);

    card->addDivider();
    m_tryButton =
        symbolButton(QStringLiteral("play.fill"), localized(QStringLiteral("试一试")), card);
    m_tryButton->setObjectName(QStringLiteral("tryTerminal"));
    m_tryButton->setToolTip(localized(QStringLiteral("在所选终端中运行一条无害的测试命令")));
    connect(m_tryButton, &QPushButton::clicked, this, &SettingsView::tryTerminal);
    m_tryResult = secondary(QString(), card);
    m_tryResult->setObjectName(QStringLiteral("tryResult"));
    m_tryResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *tryRow = new QHBoxLayout;
    tryRow->setSpacing(10);
    tryRow->addWidget(m_tryButton, 0, Qt::AlignTop);
    tryRow->addWidget(m_tryResult, 1);
    card->body()->addLayout(tryRow);
    return card;
}

void SettingsView::refreshTerminal()
{
    if (!m_terminalChoice)
        return;
    const QString stored =
        preferences().string(PreferenceKeys::terminal).value_or(QString()).trimmed();
    m_terminalChoice->clear();
    const TerminalChoice automatic =
        TerminalCatalogue::choose(std::nullopt, m_services.environment);
    m_terminalChoice->addItem(
        automatic.terminal
            ? localized(QStringLiteral("自动（现在是 %@）"), {automatic.terminal->displayName()})
            : localized(QStringLiteral("自动（未找到可用的终端）")),
        QStringLiteral("automatic"));
    for (const QString &id : TerminalCatalogue::installedIDs(m_services.environment))
        m_terminalChoice->addItem(id, id);
    const bool isAutomatic = stored.isEmpty() || stored == u"automatic";
    const bool isListed = !isAutomatic && m_terminalChoice->findData(stored) >= 0;
    const bool isCustom = !isAutomatic && !isListed;
    m_terminalChoice->addItem(localized(QStringLiteral("自定义命令…")), QString(customTerminal));
    m_terminalChoice->setCurrentIndex(isAutomatic ? 0
                                      : isListed  ? m_terminalChoice->findData(stored)
                                                  : m_terminalChoice->count() - 1);
    if (isCustom)
        m_terminalCommand->setText(stored);
    m_terminalCommand->setVisible(isCustom || m_terminalChoice->currentData() == customTerminal);
    m_terminalHelp->setVisible(m_terminalCommand->isVisibleTo(m_terminalCommand->parentWidget()));
}

void SettingsView::terminalChosen(int index)
{
    const QString value = m_terminalChoice->itemData(index).toString();
    if (value == customTerminal) {
        m_terminalCommand->setVisible(true);
        m_terminalHelp->setVisible(true);
        m_terminalCommand->setFocus();
        if (!m_terminalCommand->text().trimmed().isEmpty())
            storeCustomTerminal();
        return;
    }
    m_terminalCommand->clear();
    preferences().setString(PreferenceKeys::terminal, value);
}

void SettingsView::storeCustomTerminal()
{
    const QString text = m_terminalCommand->text().trimmed();
    if (text.isEmpty())
        return;
    if (!ShellWords::split(text)) {
        m_tryResult->setText(localized(QStringLiteral("命令中的引号没有配对。")));
        return;
    }
    if (preferences().string(PreferenceKeys::terminal) != text)
        preferences().setString(PreferenceKeys::terminal, text);
}

void SettingsView::tryTerminal()
{
    if (!m_trial) {
        std::unique_ptr<TerminalBackEnd> backEnd =
            m_services.terminalBackEnd ? m_services.terminalBackEnd() : nullptr;
        m_trialRunner = new ShellRunner(std::move(backEnd), m_services.preferences, this);
        m_trial = new TerminalTrial(*m_trialRunner, m_services.scratchFolder, this);
        connect(m_trial, &TerminalTrial::finished, this, [this](int status, const QString &line) {
            m_tryButton->setEnabled(true);
            if (status != 0) {
                QPalette red = m_tryResult->palette();
                red.setColor(QPalette::WindowText, QColor(214, 57, 57));
                m_tryResult->setPalette(red);
                m_tryResult->setForegroundRole(QPalette::WindowText);
            }
            m_tryResult->setText(status == 0 ? localized(QStringLiteral("成功：%@"), {line})
                                             : localized(QStringLiteral("失败：%@"), {line}));
        });
    }
    if (m_terminalCommand->isVisible())
        storeCustomTerminal();
    m_tryButton->setEnabled(false);
    m_tryResult->setPalette(QPalette());
    m_tryResult->setForegroundRole(QPalette::PlaceholderText);
    m_tryResult->setText(localized(QStringLiteral("正在交给终端…")));
    m_trial->start();
}

// Appearance tab.

QWidget *SettingsView::buildAppearance()
{
    auto *content = new QWidget;
    QVBoxLayout *layout = cardColumn(content);
    auto *card = new Card(localized(QStringLiteral("外观")), content);
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
        {localized(QStringLiteral("跟随系统")), QStringLiteral("system"),
         AppearancePreview::Variant::split},
        {localized(QStringLiteral("亮色")), QStringLiteral("light"),
         AppearancePreview::Variant::light},
        {localized(QStringLiteral("暗色")), QStringLiteral("dark"),
         AppearancePreview::Variant::dark},
    };
    for (const Choice &choice : choices) {
        auto *option = new OptionCard(new AppearancePreview(choice.variant), choice.title, card);
        option->setObjectName(QStringLiteral("appearance-") + choice.value);
        option->setProperty("value", choice.value);
        option->setToolTip(localized(QStringLiteral("点击选择此外观")));
        connect(option, &OptionCard::clicked, this, [this, value = choice.value] {
            preferences().setString(PreferenceKeys::appearance, value);
            applyAppAppearance(value);
        });
        m_appearanceCards.append(option);
        cards->addWidget(option, 1);
    }
    card->body()->addLayout(cards);
    card->addDivider();
    // clang-format off
    card->addWidget(secondary(PLATFORM_TEXT(
        localized(QStringLiteral("卡片即为该主题下的界面预览；「跟随系统」会随 macOS 明暗自动切换。")),
        localized(QStringLiteral("卡片即为该主题下的界面预览；「跟随系统」会随桌面的明暗设置自动切换。"))), card));
    // clang-format on
    layout->addWidget(card);
    return content;
}

void SettingsView::refreshAppearance()
{
    const QString value =
        preferences().string(PreferenceKeys::appearance).value_or(QStringLiteral("system"));
    for (OptionCard *card : std::as_const(m_appearanceCards))
        card->setSelected(card->property("value").toString() == value);
}

// About tab.

QWidget *SettingsView::buildAbout()
{
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(14);
    layout->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto *icon = new QLabel(content);
    icon->setPixmap(IconMap::applicationIcon().pixmap(QSize(72, 72), devicePixelRatioF()));
    icon->setFixedSize(72, 72);
    icon->setAccessibleName(QStringLiteral("Orlenta"));
    layout->addWidget(icon, 0, Qt::AlignHCenter);

    QLabel *name = bold(QStringLiteral("Orlenta"), content);
    QFont title = name->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setWeight(QFont::Bold);
    name->setFont(title);
    name->setAlignment(Qt::AlignCenter);
    layout->addWidget(name);

    QLabel *tagline =
        secondary(PLATFORM_TEXT(localized(QStringLiteral("macOS 菜单栏 shell 脚本管理器")),
                                localized(QStringLiteral("Linux 系统托盘 shell 脚本管理器"))),
                  content, 1.0);
    tagline->setAlignment(Qt::AlignCenter);
    layout->addWidget(tagline);

    QLabel *version = secondary(
        localized(QStringLiteral("版本 %@（构建 %@）"), {m_services.version, m_services.build}),
        content);
    version->setObjectName(QStringLiteral("versionLine"));
    version->setAlignment(Qt::AlignCenter);
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(version);

    QFrame *line = Card::divider(content);
    line->setFixedWidth(320);
    layout->addWidget(line, 0, Qt::AlignHCenter);

    auto *check = symbolButton(QStringLiteral("arrow.down.circle"),
                               localized(QStringLiteral("检查更新…")), content);
    check->setObjectName(QStringLiteral("checkForUpdates"));
    check->setToolTip(PLATFORM_TEXT(localized(QStringLiteral("通过 Sparkle 检查并安装新版本")),
                                    localized(QStringLiteral("检查是否有新版本可供下载"))));
    connect(check, &QPushButton::clicked, this, [this] {
        if (m_services.checkForUpdates)
            m_services.checkForUpdates();
    });
    layout->addWidget(check, 0, Qt::AlignHCenter);
    return content;
}

void SettingsView::preferenceChanged(const QString &key)
{
    if (key == PreferenceKeys::launchAtLogin)
        refreshLogin();
    else if (key == PreferenceKeys::runMode)
        refreshRunMode();
    else if (key == PreferenceKeys::appearance)
        refreshAppearance();
    else if (key == PreferenceKeys::terminal)
        refreshTerminal();
    else if (key == PreferenceKeys::syncFolder)
        refreshSync();
}
