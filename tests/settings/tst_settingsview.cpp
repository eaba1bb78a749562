#include "language/LanguageManager.h"
#include "library/ScriptDocument.h"
#include "library/ShellStore.h"
#include "platform/LoginItemService.h"
#include "settings/PreferenceKeys.h"
#include "settings/Preferences.h"
#include "settings/window/pages/OptionCard.h"
#include "settings/window/SettingsView.h"
#include "settings/window/SettingsWindow.h"
#include "ui/Appearance.h"
#include "ui/Card.h"
#include "ui/ElidedLabel.h"
#include "ui/StateTransition.h"
#include "ui/Switch.h"

#include "FakeTerminalBackEnd.h"
#include "TestSupport.h"
#include "TestNodes.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QScrollArea>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// A login item whose registration can be made to fail.
class FakeLoginItems : public LoginItemService
{
public:
    FakeLoginItems() : LoginItemService(QString(), QString()) {}
    Status status() const override { return enabled ? Status::enabled : Status::notRegistered; }
    std::optional<QString> registerItem() override
    {
        ++calls;
        if (failure)
            return failure;
        enabled = true;
        return std::nullopt;
    }
    std::optional<QString> unregisterItem() override
    {
        ++calls;
        enabled = false;
        return std::nullopt;
    }
    bool enabled = false;
    std::optional<QString> failure;
    int calls = 0;
};

QByteArray documentWith(const QString &name)
{
    Persisted persisted;
    persisted.roots.append(TestNodes::createdAt(TestNodes::folder(name), 700000000));
    return ScriptDocument::encode(persisted);
}

QString rootName(const ShellStore &store)
{
    return store.roots().isEmpty() ? QString() : store.roots().first().name;
}

// Clicks the button of the next modal dialog once it is shown, after
// letting the caller look at the window behind it.
void answerNextDialog(const QString &buttonName, const std::function<void()> &whileShown)
{
    auto *timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, buttonName, whileShown] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        whileShown();
        if (auto *button = dialog->findChild<QAbstractButton *>(buttonName))
            button->click();
        else
            dialog->close();
        timer->deleteLater();
    });
    timer->start();
}

} // namespace

class TestSettingsView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void tabsCardsAndAbout();
    void aboutWithoutFeedNamesThePackageManager();
    void removalDialog_data();
    void removalDialog();
    void runCardsWriteTheModeAndSwapTheHint();
    void appearanceIsAppliedAtOnce();
    void syncSwitchMirrorsAndMoves_data();
    void syncSwitchMirrorsAndMoves();
    void newSyncFolderMovesTheStore();
    void languageChangeRebuildsOnTheSameTab();
    void loginSwitchFollowsTheRealStatus();
    void terminalChoiceAndTrial();
    void changesAreDrawnOnlyWhileSeen();
    void everyControlNamedAndReachedByTab();
    void assistiveToggleChoosesAsSpaceDoes();
    void closesByKeyAndOpensOnScreen();
    void placementStaysInTheFreeArea_data();
    void placementStaysInTheFreeArea();

private:
    template <typename T> T *find(const QString &name) const
    {
        T *widget = m_window->view()->findChild<T *>(name);
        if (!widget)
            qWarning("no widget %s", qPrintable(name));
        return widget;
    }
    void open();
    // Starts the store afresh over the documents written so far.
    void restartStore();
    QString customProfile(const QString &folder, const QString &name);

    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<ShellStore> m_store;
    std::shared_ptr<FakeLoginItems> m_login;
    std::unique_ptr<SettingsWindow> m_window;
    QPointer<FakeTerminalBackEnd> m_terminal;
    QList<int> m_terminalStatuses;
    QStringList m_logLines;
    QStringList m_revealed;
    QString m_chosenFolder;
    bool m_withFeed = true;
    int m_updateChecks = 0;
};

void TestSettingsView::initTestCase()
{
    static TestHome shared; // the shared language manager's preferences
    Preferences::useStandardFile(shared.preferencesFile());
    LanguageManager::setTablesDirectoryOverride(QStringLiteral(ORLENTA_SOURCE_DIR "/resources"));
    LanguageManager::shared().setSelection(AppLanguage::zhHans);
}

void TestSettingsView::init()
{
    m_withFeed = true;
    m_home = std::make_unique<TestHome>();
    m_preferences = std::make_unique<Preferences>(m_home->preferencesFile());
    m_store = std::make_unique<ShellStore>(*m_preferences, m_home->locations());
    m_login = std::make_shared<FakeLoginItems>();
    m_terminalStatuses.clear();
    m_logLines.clear();
    m_revealed.clear();
    m_updateChecks = 0;
}

void TestSettingsView::cleanup()
{
    m_window.reset();
    m_store.reset();
    m_preferences.reset();
    m_home.reset();
    LanguageManager::shared().setSelection(AppLanguage::zhHans);
    applyAppAppearance(AppearanceMode::system);
}

void TestSettingsView::restartStore()
{
    m_store = std::make_unique<ShellStore>(*m_preferences, m_home->locations());
}

void TestSettingsView::open()
{
    SettingsServices services;
    services.preferences = m_preferences.get();
    services.loginItems = m_login;
    services.systemLog = [this](const QString &line) { m_logLines << line; };
    services.terminalBackEnd = [this] {
        auto backEnd = std::make_unique<FakeTerminalBackEnd>(
            [](const HandOverText &text) { return u"诊断：已打开 "_s + text.fileName + u'\n'; }, 1);
        backEnd->statuses = m_terminalStatuses;
        m_terminal = backEnd.get();
        return backEnd;
    };
    QProcessEnvironment environment;
    environment.insert(u"PATH"_s, m_home->filePath(u"bin"_s));
    m_home->write(u"bin/xterm"_s, "#!/bin/sh\n");
    QFile::setPermissions(m_home->filePath(u"bin/xterm"_s), QFile::ReadOwner | QFile::ExeOwner);
    services.environment = environment;
    services.scratchFolder = m_home->filePath(u"runtime"_s);
    if (m_withFeed)
        services.checkForUpdates = [this] { ++m_updateChecks; };
    services.reveal = [this](const QString &path) { m_revealed << path; };
    services.chooseFolder = [this](QWidget *, const QString &) { return m_chosenFolder; };
    services.version = u"1.2"_s;
    services.build = u"45"_s;
    m_window = std::make_unique<SettingsWindow>(*m_store, services);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

QString TestSettingsView::customProfile(const QString &folder, const QString &name)
{
    const QString relative = folder + u"/tallowBay.json"_s;
    m_home->write(relative, documentWith(name));
    m_store->addProfile(m_home->filePath(relative), std::nullopt);
    return m_home->filePath(relative);
}

void TestSettingsView::tabsCardsAndAbout()
{
    open();
    auto *tabs = find<QTabWidget>(u"tabs"_s);
    QStringList labels;
    for (int i = 0; i < tabs->count(); ++i) {
        labels << tabs->tabText(i);
        QVERIFY(!tabs->tabIcon(i).isNull());
    }
    QCOMPARE(labels, (QStringList{u"通用"_s, u"同步"_s, u"运行"_s, u"外观"_s, u"关于"_s}));
    QCOMPARE(m_window->size(), QSize(600, 540));

    auto visibleCards = [this] {
        QStringList names;
        QWidget *content = find<QScrollArea>(u"general"_s)->widget();
        for (QObject *child : content->children())
            if (auto *card = qobject_cast<Card *>(child); card && card->isVisibleTo(content))
                names << card->objectName();
        return names;
    };
    QCOMPARE(visibleCards(), (QStringList{u"loginCard"_s, u"languageCard"_s}));
    QStringList languages;
    for (auto *button : find<Card>(u"languageCard"_s)->findChildren<QAbstractButton *>())
        languages << button->accessibleName() + (button->isChecked() ? u" ✓"_s : QString());
    QCOMPARE(languages,
             (QStringList{u"跟随系统"_s, u"中文 ✓"_s, u"English"_s, u"한국어"_s, u"日本語"_s}));

    for (const QString &name : {u"A"_s, u"B"_s, u"C"_s})
        customProfile(u"profiles/"_s + name, name);
    QTRY_COMPARE(visibleCards(),
                 (QStringList{u"profilesCard"_s, u"loginCard"_s, u"languageCard"_s}));
    auto *profiles = find<Card>(u"profilesCard"_s);
    QCOMPARE(profiles->findChildren<QWidget *>(u"profileRow"_s).size(), 3);
    QCOMPARE(profiles->findChildren<QWidget *>(u"divider"_s).size(), 2);

    tabs->setCurrentIndex(int(SettingsTab::about));
    QCOMPARE(find<QLabel>(u"versionLine"_s)->text(), u"版本 1.2（构建 45）"_s);
    QTest::mouseClick(find<QAbstractButton>(u"checkForUpdates"_s), Qt::LeftButton);
    QCOMPARE(m_updateChecks, 1);
}

void TestSettingsView::aboutWithoutFeedNamesThePackageManager()
{
    m_withFeed = false;
    open();
    find<QTabWidget>(u"tabs"_s)->setCurrentIndex(int(SettingsTab::about));
    QVERIFY(!m_window->view()->findChild<QAbstractButton *>(u"checkForUpdates"_s));
    auto *line = find<QLabel>(u"packageManagerUpdates"_s);
    QVERIFY(line->isVisible());
    QCOMPARE(line->text(), u"此版本的更新由系统的软件包管理器提供。"_s);
}

void TestSettingsView::removalDialog_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("profilesLeft");
    QTest::addColumn<bool>("fileKept");
    QTest::addColumn<QString>("treeShown");
    QTest::newRow("cancel") << u"removeCancel"_s << 2 << true << u"B"_s;
    QTest::newRow("closed") << u"none"_s << 2 << true << u"B"_s;
    QTest::newRow("remove only, current") << u"removeKeepFile"_s << 1 << true << u"local"_s;
    QTest::newRow("remove and delete") << u"removeDeleteFile"_s << 1 << false << u"local"_s;
}

void TestSettingsView::removalDialog()
{
    QFETCH(QString, answer);
    QFETCH(int, profilesLeft);
    QFETCH(bool, fileKept);
    QFETCH(QString, treeShown);
    m_home->write(u"home/Documents/FennickTallowBay/tallowBay.json"_s, documentWith(u"local"_s));
    restartStore();
    customProfile(u"profiles/A"_s, u"A"_s);
    const QString current = customProfile(u"profiles/B"_s, u"B"_s);
    open();
    auto removeButtons =
        find<Card>(u"profilesCard"_s)->findChildren<QAbstractButton *>(u"removeProfile"_s);
    QCOMPARE(removeButtons.size(), 2);
    QVERIFY(!removeButtons.last()->toolTip().isEmpty());

    std::optional<Profile> pending;
    answerNextDialog(answer, [&] { pending = m_window->view()->pendingRemove(); });
    QTest::mouseClick(removeButtons.last(), Qt::LeftButton);
    QTRY_VERIFY(pending.has_value());
    QCOMPARE(pending->path, current);
    QTRY_VERIFY(!m_window->view()->pendingRemove().has_value());
    QCOMPARE(m_store->customProfiles().size(), profilesLeft);
    QCOMPARE(QFileInfo::exists(current), fileKept);
    QCOMPARE(rootName(*m_store), treeShown);
    QCOMPARE(find<Card>(u"profilesCard"_s)->findChildren<QWidget *>(u"profileRow"_s).size(),
             profilesLeft);
}

void TestSettingsView::runCardsWriteTheModeAndSwapTheHint()
{
    open();
    auto *window = find<OptionCard>(u"runMode-window"_s);
    auto *tab = find<OptionCard>(u"runMode-tab"_s);
    auto *hint = find<QLabel>(u"runHint"_s);
    find<QTabWidget>(u"tabs"_s)->setCurrentIndex(int(SettingsTab::run));
    QVERIFY(window->isSelected() && !tab->isSelected()); // nothing stored: "window"
    const QString independent = hint->text();
    QCOMPARE(independent, u"多次运行互不干扰，适合同时查看多个脚本的输出。"_s);

    QTest::mouseClick(tab, Qt::LeftButton);
    QCOMPARE(m_preferences->string(PreferenceKeys::runMode.key), u"tab"_s);
    QVERIFY(tab->isSelected() && !window->isSelected());
    QVERIFY(hint->text().contains(u"GNOME Terminal"_s));

    QTest::mouseClick(tab, Qt::LeftButton); // clicking the chosen card keeps it chosen
    QVERIFY(tab->isSelected());
    window->setFocus();
    QTest::keyClick(window, Qt::Key_Space);
    QCOMPARE(m_preferences->string(PreferenceKeys::runMode.key), u"window"_s);
    QCOMPARE(hint->text(), independent);

    m_preferences->setString(PreferenceKeys::runMode.key, u"Tab"_s); // unknown: no card
    QVERIFY(!window->isSelected() && !tab->isSelected());
    QVERIFY(hint->text() != independent);
}

void TestSettingsView::appearanceIsAppliedAtOnce()
{
    m_preferences->setString(PreferenceKeys::appearance.key, u"sepia"_s);
    open();
    const QStringList values{u"system"_s, u"light"_s, u"dark"_s};
    auto selected = [&] {
        QStringList chosen;
        for (const QString &value : values)
            if (find<OptionCard>(u"appearance-"_s + value)->isSelected())
                chosen << value;
        return chosen;
    };
    QCOMPARE(selected(), QStringList());
    QTest::mouseClick(find<OptionCard>(u"appearance-dark"_s), Qt::LeftButton);
    QCOMPARE(m_preferences->string(PreferenceKeys::appearance.key), u"dark"_s);
    QCOMPARE(selected(), QStringList{u"dark"_s});
    QCOMPARE(QApplication::style()->name().toLower(), u"fusion"_s);
    QVERIFY(QApplication::palette().color(QPalette::Window).lightness() < 128);
    QTest::mouseClick(find<OptionCard>(u"appearance-light"_s), Qt::LeftButton);
    QVERIFY(QApplication::palette().color(QPalette::Window).lightness() > 128);
    QCOMPARE(selected(), QStringList{u"light"_s});
}

void TestSettingsView::syncSwitchMirrorsAndMoves_data()
{
    QTest::addColumn<QString>("current");
    QTest::addColumn<bool>("shownOn");
    QTest::newRow("local") << u"local"_s << false;
    QTest::newRow("cloud") << u"cloud"_s << true;
    QTest::newRow("custom") << u"custom"_s << false;
}

void TestSettingsView::syncSwitchMirrorsAndMoves()
{
    QFETCH(QString, current);
    QFETCH(bool, shownOn);
    const QString local = m_home->filePath(u"home/Documents/FennickTallowBay/tallowBay.json"_s);
    const QString cloud = m_home->filePath(
        u"home/Library/Mobile Documents/com~apple~CloudDocs/tallowBay/tallowBay.json"_s);
    m_home->write(u"home/Documents/FennickTallowBay/tallowBay.json"_s, documentWith(u"local"_s));
    restartStore();
    if (current == u"cloud")
        m_store->setSyncFromiCloud(true);
    if (current == u"custom")
        customProfile(u"Work"_s, u"custom"_s);
    const QUuid before = m_store->currentProfileID();
    open();
    auto *syncSwitch = find<Switch>(u"syncSwitch"_s);
    QCOMPARE(syncSwitch->isChecked(), shownOn);
    QCOMPARE(m_store->currentProfileID(), before); // showing never moves the store
    QCOMPARE(m_window->view()->shownDocumentPath(), shownOn ? cloud : local);
    QTest::mouseClick(find<QAbstractButton>(u"revealButton"_s), Qt::LeftButton);
    QCOMPARE(m_revealed, QStringList{shownOn ? cloud : local});

    QTest::mouseClick(syncSwitch, Qt::LeftButton);
    QCOMPARE(syncSwitch->isChecked(), !shownOn);
    QCOMPARE(m_store->currentProfileID(),
             shownOn ? Profile::localProfileID : Profile::iCloudProfileID);
    QCOMPARE(rootName(*m_store), shownOn ? u"local"_s : current);
    QCOMPARE(find<QLabel>(u"syncHeadline"_s)->text(),
             shownOn ? u"仅保存在本机"_s : u"文件夹同步已开启"_s);
    QCOMPARE(find<ElidedLabel>(u"syncPath"_s)->fullText(), shownOn ? local : cloud);
}

void TestSettingsView::newSyncFolderMovesTheStore()
{
    m_home->write(u"home/Nextcloud/tallowBay/tallowBay.json"_s, documentWith(u"there"_s));
    m_home->write(u"home/Documents/FennickTallowBay/tallowBay.json"_s, documentWith(u"local"_s));
    restartStore();
    m_store->setSyncFromiCloud(true);
    open();
    QVERIFY(!find<QAbstractButton>(u"defaultSyncFolder"_s)->isEnabled());
    m_chosenFolder.clear(); // cancelled: nothing changes
    QTest::mouseClick(find<QAbstractButton>(u"chooseSyncFolder"_s), Qt::LeftButton);
    QCOMPARE(rootName(*m_store), u"local"_s);

    m_chosenFolder = m_home->filePath(u"home/Nextcloud"_s);
    QTest::mouseClick(find<QAbstractButton>(u"chooseSyncFolder"_s), Qt::LeftButton);
    QCOMPARE(rootName(*m_store), u"there"_s);
    QCOMPARE(find<ElidedLabel>(u"syncPath"_s)->fullText(),
             m_home->filePath(u"home/Nextcloud/tallowBay/tallowBay.json"_s));
    QVERIFY(find<QLabel>(u"syncDetail"_s)->text().contains(u"「Nextcloud」"_s));
    QTest::mouseClick(find<QAbstractButton>(u"defaultSyncFolder"_s), Qt::LeftButton);
    QCOMPARE(rootName(*m_store), u"local"_s); // the copy made when sync was turned on
    QVERIFY(!find<QAbstractButton>(u"defaultSyncFolder"_s)->isEnabled());
}

void TestSettingsView::languageChangeRebuildsOnTheSameTab()
{
    open();
    QPointer<SettingsView> first = m_window->view();
    QTest::mouseClick(find<QAbstractButton>(u"language-en"_s), Qt::LeftButton);
    QTRY_VERIFY(!first);
    QCOMPARE(LanguageManager::shared().selection(), AppLanguage(AppLanguage::en));
    QCOMPARE(m_window->windowTitle(), u"Settings"_s);
    auto *tabs = find<QTabWidget>(u"tabs"_s);
    QCOMPARE(tabs->tabText(0), u"General"_s);
    QCOMPARE(m_window->view()->selection(), SettingsTab::general);
    QVERIFY(find<QAbstractButton>(u"language-en"_s)->isChecked());
    // Languages keep their own names; following the system reads in the new language.
    QCOMPARE(find<QAbstractButton>(u"language-system"_s)->text(), u"Match System"_s);
    QCOMPARE(find<QAbstractButton>(u"language-zh-Hans"_s)->text(), u"中文"_s);
    QVERIFY(m_window->isVisible());

    tabs->setCurrentIndex(int(SettingsTab::run));
    QPointer<SettingsView> second = m_window->view();
    LanguageManager::shared().setSelection(AppLanguage::ja);
    QTRY_VERIFY(!second);
    QCOMPARE(m_window->view()->selection(), SettingsTab::run);
    QCOMPARE(find<QTabWidget>(u"tabs"_s)->tabText(2), u"実行"_s);

    // By keyboard: the arrows walk the rows, Space chooses one.
    find<QTabWidget>(u"tabs"_s)->setCurrentIndex(int(SettingsTab::general));
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    find<QAbstractButton>(u"language-system"_s)->setFocus();
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up})
        QTest::keyClick(QApplication::focusWidget(), key);
    QCOMPARE(QApplication::focusWidget(), find<QAbstractButton>(u"language-en"_s));
    QPointer<SettingsView> third = m_window->view();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTRY_VERIFY(!third);
    QCOMPARE(LanguageManager::shared().selection(), AppLanguage(AppLanguage::en));
    QVERIFY(find<QAbstractButton>(u"language-en"_s)->isChecked());
    QCOMPARE(QApplication::focusWidget(), find<QAbstractButton>(u"language-en"_s));
}

void TestSettingsView::loginSwitchFollowsTheRealStatus()
{
    m_login->enabled = true; // registered from outside
    open();
    auto *loginSwitch = find<Switch>(u"loginSwitch"_s);
    QVERIFY(loginSwitch->isChecked());
    QCOMPARE(m_preferences->boolean(PreferenceKeys::launchAtLogin.key), true);

    QTest::mouseClick(loginSwitch, Qt::LeftButton);
    QTRY_VERIFY(!m_login->enabled);
    m_login->failure = u"not allowed"_s;
    QTest::mouseClick(loginSwitch, Qt::LeftButton);
    QVERIFY(loginSwitch->isChecked());
    QTRY_COMPARE(m_logLines, QStringList{u"Orlenta: 设置登录项失败: not allowed"_s});
    QVERIFY(!loginSwitch->isChecked()); // set back to the real status
    QCOMPARE(m_preferences->boolean(PreferenceKeys::launchAtLogin.key), false);
    QCOMPARE(m_login->calls, 2);
}

void TestSettingsView::terminalChoiceAndTrial()
{
    open();
    find<QTabWidget>(u"tabs"_s)->setCurrentIndex(int(SettingsTab::run));
    auto *choice = find<QComboBox>(u"terminalChoice"_s);
    QStringList items;
    for (int i = 0; i < choice->count(); ++i)
        items << choice->itemText(i);
    QCOMPARE(items, (QStringList{u"自动（现在是 xterm）"_s, u"xterm"_s, u"自定义命令…"_s}));
    QCOMPARE(choice->currentIndex(), 0);
    auto *command = find<QLineEdit>(u"terminalCommand"_s);
    QVERIFY(!command->isVisible());

    choice->setFocus();
    QTest::keyClick(choice, Qt::Key_Down);
    QCOMPARE(m_preferences->string(PreferenceKeys::terminal.key), u"xterm"_s);
    QTest::keyClick(choice, Qt::Key_Down);
    QVERIFY(command->isVisible());
    QTest::keyClicks(command, u"xterm -e {command}"_s);
    QTest::keyClick(command, Qt::Key_Return);
    QCOMPARE(m_preferences->string(PreferenceKeys::terminal.key), u"xterm -e {command}"_s);

    auto *tryIt = find<QAbstractButton>(u"tryTerminal"_s);
    auto *result = find<QLabel>(u"tryResult"_s);
    QTest::mouseClick(tryIt, Qt::LeftButton);
    QVERIFY(!tryIt->isEnabled());
    QTRY_VERIFY(tryIt->isEnabled());
    QCOMPARE(result->text(), u"成功：诊断：已打开 orlenta-terminal-test.sh"_s);
    QCOMPARE(m_terminal->commandLines.size(), 1);
    const QString script = m_home->filePath(u"runtime/orlenta-terminal-test.sh"_s);
    QVERIFY(m_terminal->commandLines.first().contains(u"./orlenta-terminal-test.sh"_s));
    QVERIFY(QFileInfo(script).isExecutable());

    m_terminal->statuses = {0, 1};
    QTest::mouseClick(tryIt, Qt::LeftButton);
    QTRY_VERIFY(tryIt->isEnabled());
    QVERIFY(result->text().startsWith(u"失败："_s));
}

// A change is drawn over a moment while the window shows it, ends in the new
// state and leaves nothing running; unseen, it takes effect at once.
void TestSettingsView::changesAreDrawnOnlyWhileSeen()
{
    open();
    auto running = [this] {
        int count = 0;
        for (StateTransition *transition : m_window->findChildren<StateTransition *>())
            count += transition->isRunning() ? 1 : 0;
        return count;
    };
    auto *window = find<OptionCard>(u"runMode-window"_s);
    auto *tab = find<OptionCard>(u"runMode-tab"_s);
    m_preferences->setString(PreferenceKeys::runMode.key, u"tab"_s); // the run tab is not shown
    QCOMPARE(running(), 0);
    QCOMPARE(tab->selectionProgress(), 1.0);
    QCOMPARE(window->selectionProgress(), 0.0);

    find<QTabWidget>(u"tabs"_s)->setCurrentIndex(int(SettingsTab::run));
    QTest::mouseClick(window, Qt::LeftButton);
    QCOMPARE(running(), 2);
    QTRY_COMPARE(running(), 0);
    QCOMPARE(window->selectionProgress(), 1.0);
    QCOMPARE(tab->selectionProgress(), 0.0);

    QTest::mouseClick(tab, Qt::LeftButton);
    m_window->hide(); // half way
    QCOMPARE(running(), 0);
    QCOMPARE(tab->selectionProgress(), 1.0);
    QCOMPARE(window->selectionProgress(), 0.0);

    m_window->show();
    find<QTabWidget>(u"tabs"_s)->setCurrentIndex(int(SettingsTab::sync));
    auto *headline = find<QLabel>(u"syncHeadline"_s);
    QTest::mouseClick(find<Switch>(u"syncSwitch"_s), Qt::LeftButton);
    QVERIFY(running() > 0);
    QCOMPARE(headline->text(), u"文件夹同步已开启"_s); // screen readers get the new text at once
    QTRY_COMPARE(running(), 0);
    QVERIFY(!headline->testAttribute(Qt::WA_SetPalette)); // its colour follows the palette again
}

// Every control of every tab has a name for screen readers and is reached by Tab.
void TestSettingsView::everyControlNamedAndReachedByTab()
{
    customProfile(u"profiles/A"_s, u"A"_s);
    m_preferences->setString(PreferenceKeys::terminal.key, u"mytool --run {command}"_s);
    open();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    auto *tabs = find<QTabWidget>(u"tabs"_s);
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QList<QWidget *> controls;
        QList<QWidget *> widgets = tabs->currentWidget()->findChildren<QWidget *>();
        widgets << tabs->currentWidget();
        for (QWidget *widget : std::as_const(widgets))
            if (widget->isVisible() && widget->isEnabled() &&
                (widget->focusPolicy() & Qt::TabFocus))
                controls << widget;
        QVERIFY(!controls.isEmpty());
        for (QWidget *control : std::as_const(controls)) {
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(accessible && !accessible->text(QAccessible::Name).isEmpty(),
                     qPrintable(tabs->tabText(i) + u' ' + control->objectName() + u' ' +
                                QString::fromLatin1(control->metaObject()->className())));
        }
        tabs->tabBar()->setFocus();
        QList<QWidget *> reached;
        for (qsizetype n = 0; n < controls.size() + 2; ++n) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached << QApplication::focusWidget();
        }
        for (QWidget *control : std::as_const(controls))
            QVERIFY2(reached.contains(control),
                     qPrintable(tabs->tabText(i) + u' ' + control->objectName() + u' ' +
                                QString::fromLatin1(control->metaObject()->className())));
    }
}

// What a screen reader or desktop automation does over the accessibility bus:
// the advertised action of each choice, run through the control's interface.
void TestSettingsView::assistiveToggleChoosesAsSpaceDoes()
{
    open();
    auto toggle = [](QWidget *control) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        QVERIFY(accessible && accessible->actionInterface());
        QAccessibleActionInterface *actions = accessible->actionInterface();
        QVERIFY2(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()),
                 qPrintable(control->objectName()));
        QVERIFY(accessible->state().checkable);
        actions->doAction(QAccessibleActionInterface::toggleAction());
    };
    toggle(find<OptionCard>(u"runMode-tab"_s));
    QCOMPARE(m_preferences->string(PreferenceKeys::runMode.key), u"tab"_s);
    QVERIFY(find<OptionCard>(u"runMode-tab"_s)->isSelected());
    toggle(find<OptionCard>(u"runMode-tab"_s)); // the chosen card stays chosen, as with Space
    QVERIFY(find<OptionCard>(u"runMode-tab"_s)->isSelected());
    QVERIFY(!find<OptionCard>(u"runMode-window"_s)->isSelected());

    toggle(find<OptionCard>(u"appearance-dark"_s));
    QCOMPARE(m_preferences->string(PreferenceKeys::appearance.key), u"dark"_s);
    QVERIFY(Appearance::isDark());

    toggle(find<Switch>(u"loginSwitch"_s));
    QCOMPARE(m_preferences->boolean(PreferenceKeys::launchAtLogin.key), true);
    QTRY_VERIFY(m_login->enabled);

    toggle(find<Switch>(u"syncSwitch"_s));
    QCOMPARE(m_store->currentProfileID(), Profile::iCloudProfileID);

    toggle(find<QAbstractButton>(u"language-en"_s));
    QTRY_COMPARE(LanguageManager::shared().selection(), AppLanguage(AppLanguage::en));
    QTRY_VERIFY(find<QAbstractButton>(u"language-en"_s)->isChecked());
}

void TestSettingsView::closesByKeyAndOpensOnScreen()
{
    for (const QKeySequence &keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        open();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QVERIFY(m_window->screen()->availableGeometry().contains(m_window->frameGeometry()));
        find<QTabWidget>(u"tabs"_s)->setCurrentIndex(int(SettingsTab::run));
        find<OptionCard>(u"runMode-tab"_s)->setFocus();
        QTest::keySequence(QApplication::focusWidget(), keys);
        QVERIFY2(!m_window->isVisible(), qPrintable(keys.toString()));
    }
}

void TestSettingsView::placementStaysInTheFreeArea_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QRect>("placed");
    const QMargins title(2, 30, 2, 2);
    QTest::newRow("wide screen, centred") << QRect(0, 0, 1920, 1080) << title
                                          << QRect(660, 284, 600, 540);
    QTest::newRow("panel on top, second screen")
        << QRect(1920, 32, 1280, 992) << title << QRect(2260, 272, 600, 540);
    QTest::newRow("too low: shorter, frame and all")
        << QRect(0, 24, 1024, 500) << title << QRect(212, 54, 600, 468);
    QTest::newRow("too narrow and low") << QRect(0, 0, 480, 400) << QMargins()
                                        << QRect(0, 0, 480, 400);
}

void TestSettingsView::placementStaysInTheFreeArea()
{
    QFETCH(QRect, available);
    QFETCH(QMargins, frame);
    QFETCH(QRect, placed);
    const QRect place = SettingsWindow::placement(SettingsWindow::contentSize, available, frame);
    QCOMPARE(place, placed);
    QVERIFY(available.contains(place.marginsAdded(frame)));
}

QTEST_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
