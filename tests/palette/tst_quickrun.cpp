// The quick-run palette: ranking, recent runs, and a user's path through it.
#include "FakeTerminalBackEnd.h"
#include "TestSupport.h"

#include "TestNodes.h"
#include "library/ShellStore.h"
#include "palette/QuickRunIndex.h"
#include "palette/widgets/QuickRunPalette.h"
#include "run/RunController.h"
#include "run/RunHistory.h"
#include "settings/Preferences.h"
#include "window/ContentView.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

ShellNode script(const QString &name, QStringList args = {})
{
    return TestNodes::script(name, u"/s/"_s + name + u".sh"_s,
                             args.isEmpty() ? std::nullopt : std::optional(std::move(args)));
}

ShellNode folder(const QString &name, QList<ShellNode> children)
{
    return TestNodes::folder(name, std::move(children));
}

QList<ShellNode> library()
{
    return {
        folder(u"Tools"_s, {script(u"deploy"_s, {u"--prod"_s, u"--staging"_s}), script(u"lint"_s)}),
        folder(u"Data"_s, {script(u"exports-pipeline"_s), script(u"dump"_s)}),
        folder(u"Ops"_s, {script(u"backup"_s), script(u"nightlyBackup"_s),
                          folder(u"archive"_s, {script(u"backup"_s)})})};
}

QStringList texts(const QuickRunIndex &index, const QList<QuickRunIndex::Hit> &hits)
{
    QStringList list;
    for (const QuickRunIndex::Hit &hit : hits)
        list << index.entries().at(hit.entry).text;
    return list;
}

} // namespace

class TestQuickRun : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void entriesFollowTheMenu();
    void ranking_data();
    void ranking();
    void recentRunsComeFirst();
    void enterRunsThePresetAndRemembersIt();
    void keysMoveCtrlEnterShowsEscCloses();
    void ctrlKInTheManagementWindow();
    void onlyALastingFocusLossDismisses();

private:
    std::unique_ptr<TestHome> m_home;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<ShellStore> m_store;
    FakeTerminalBackEnd *m_backEnd = nullptr;
    std::unique_ptr<ShellRunner> m_runner;
    std::unique_ptr<RunController> m_controller;
    std::unique_ptr<RunHistory> m_history;
};

void TestQuickRun::init()
{
    m_home = std::make_unique<TestHome>();
    QVERIFY(m_home->isValid());
    m_preferences = std::make_unique<Preferences>(m_home->preferencesFile());
    m_store = std::make_unique<ShellStore>(*m_preferences, m_home->locations());
    auto backEnd =
        std::make_unique<FakeTerminalBackEnd>([](const HandOverText &) { return QString(); }, 1);
    m_backEnd = backEnd.get();
    m_runner = std::make_unique<ShellRunner>(std::move(backEnd), m_preferences.get());
    m_controller = std::make_unique<RunController>(nullptr, m_runner.get());
    m_history = std::make_unique<RunHistory>(*m_preferences);
    m_controller->setHistory(m_history.get());
}

void TestQuickRun::cleanup()
{
    m_controller.reset();
    m_runner.reset();
    m_store.reset();
}

void TestQuickRun::entriesFollowTheMenu()
{
    QuickRunIndex index;
    index.rebuild(library());
    // A script with presets is only its presets, as in the tray menu.
    QCOMPARE(texts(index, index.search(QString(), {}, 100)).mid(0, 4),
             (QStringList{u"Tools"_s, u"Tools/deploy  --prod"_s, u"Tools/deploy  --staging"_s,
                          u"Tools/lint"_s}));
    QCOMPARE(index.entries().size(), 12);
    QCOMPARE(index.search(QString(), {}, 5).size(), 5);
}

void TestQuickRun::ranking_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("first");
    QTest::addColumn<int>("count");
    // "dep" is scattered over Data/exports-pipeline but starts a word in deploy.
    QTest::newRow("word start over scattered") << u"dep"_s << u"Tools/deploy  --prod"_s << 3;
    QTest::newRow("preset found by its text") << u"stag"_s << u"Tools/deploy  --staging"_s << 1;
    QTest::newRow("letter case ignored") << u"LINT"_s << u"Tools/lint"_s << 1;
    QTest::newRow("shorter path on a tie") << u"backup"_s << u"Ops/backup"_s << 3;
    QTest::newRow("camel case starts a word") << u"nb"_s << u"Ops/nightlyBackup"_s << 1;
    QTest::newRow("consecutive over spread") << u"dump"_s << u"Data/dump"_s << 1;
    QTest::newRow("surrounding blanks ignored") << u"  lint "_s << u"Tools/lint"_s << 1;
    QTest::newRow("no match") << u"zzz"_s << QString() << 0;
}

void TestQuickRun::ranking()
{
    QFETCH(QString, pattern);
    QFETCH(QString, first);
    QFETCH(int, count);
    QuickRunIndex index;
    index.rebuild(library());
    const QList<QuickRunIndex::Hit> hits = index.search(pattern, {}, 100);
    QCOMPARE(hits.size(), count);
    if (count == 0)
        return;
    QCOMPARE(index.entries().at(hits.first().entry).text, first);
    // The highlighted letters spell the pattern.
    QString spelled;
    for (const qsizetype p : hits.first().positions)
        spelled += first.at(p);
    QCOMPARE(spelled.toCaseFolded(), pattern.trimmed().toCaseFolded());
}

void TestQuickRun::recentRunsComeFirst()
{
    const QList<ShellNode> roots = library();
    const ShellNode &deploy = roots.at(0).children->at(0);
    const ShellNode &dump = roots.at(1).children->at(1);
    m_history->record(deploy.id, u"--staging"_s);
    m_history->record(dump.id, std::nullopt);
    m_history->record(QUuid::createUuid(), std::nullopt); // gone from the library
    m_history->record(deploy.id, u"--no such preset"_s);  // a text of its own
    m_history->record(dump.id, std::nullopt);             // again: moves, not doubled

    // Through a fresh reader of the same file, as after a restart.
    Preferences reread(m_home->preferencesFile());
    const QList<RunHistory::Entry> recent = RunHistory(reread).entries();
    QCOMPARE(recent.size(), 4);
    QuickRunIndex index;
    index.rebuild(roots);
    QCOMPARE(texts(index, index.search(QString(), recent, 4)),
             (QStringList{u"Data/dump"_s, u"Tools/deploy  --staging"_s, u"Tools"_s,
                          u"Tools/deploy  --prod"_s}));

    for (int i = 0; i < 30; ++i)
        m_history->record(QUuid::createUuid(), std::nullopt);
    QCOMPARE(m_history->entries().size(), RunHistory::capacity);
}

void TestQuickRun::enterRunsThePresetAndRemembersIt()
{
    const QUuid tools = m_store->addFolder(std::nullopt, u"Tools"_s);
    QVERIFY(m_home->write(u"s/deploy.sh"_s, "#!/bin/sh\n"));
    const QUuid deploy = m_store->addScript(tools, m_home->filePath(u"s/deploy.sh"_s));
    m_store->setArgs(deploy, {u"--prod"_s, u"--staging"_s});

    QuickRunPalette palette(*m_store, *m_controller, *m_history);
    palette.present();
    QVERIFY(palette.isVisible());
    QVERIFY(!palette.accessibleName().isEmpty());
    QVERIFY(!palette.field()->accessibleName().isEmpty());
    QTest::keyClicks(palette.field(), u"stag"_s);
    QCOMPARE(palette.list()->model()->rowCount(), 1);
    QTest::keyClick(palette.field(), Qt::Key_Return);
    QVERIFY(!palette.isVisible());
    QTRY_COMPARE(m_backEnd->commandLines.size(), 1);
    QVERIFY(m_backEnd->commandLines.first().endsWith(u"'./deploy.sh' --staging"_s));
    QCOMPARE(m_history->entries().first(), (RunHistory::Entry{deploy, u"--staging"_s}));

    // Reopened: empty field, the run just made on top.
    palette.present();
    QVERIFY(palette.field()->text().isEmpty());
    QCOMPARE(palette.list()->currentIndex().data().toString(), u"Tools/deploy  --staging"_s);
}

void TestQuickRun::keysMoveCtrlEnterShowsEscCloses()
{
    const QUuid ops = m_store->addFolder(std::nullopt, u"Ops"_s);
    QuickRunPalette palette(*m_store, *m_controller, *m_history);
    QSignalSpy shown(&palette, &QuickRunPalette::showInWindowRequested);
    palette.present();
    // The library changes while the palette is open: it follows.
    m_store->addFolder(std::nullopt, u"Later"_s);
    QCOMPARE(palette.list()->model()->rowCount(), 2);
    QTest::keyClick(palette.field(), Qt::Key_Down);
    QTest::keyClick(palette.field(), Qt::Key_Down); // stays on the last row
    QCOMPARE(palette.list()->currentIndex().row(), 1);
    QTest::keyClick(palette.field(), Qt::Key_PageUp);
    QCOMPARE(palette.list()->currentIndex().row(), 0);
    QTest::keyClick(palette.field(), Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().first().value<QUuid>(), ops);
    QVERIFY(m_backEnd->commandLines.isEmpty());

    // Nothing matches: the list gives way to a text saying so, and Enter runs nothing.
    palette.present();
    QTest::keyClicks(palette.field(), u"zzq"_s);
    auto *empty = palette.findChild<QLabel *>(u"quickRunEmpty"_s);
    QVERIFY(empty && !empty->isHidden() && palette.list()->isHidden());
    QVERIFY(!empty->text().isEmpty());
    QTest::keyClick(palette.field(), Qt::Key_Return);
    QVERIFY(m_backEnd->commandLines.isEmpty());
    QTest::keyClick(palette.field(), Qt::Key_Backspace);
    QTest::keyClick(palette.field(), Qt::Key_Backspace);
    QTest::keyClick(palette.field(), Qt::Key_Backspace);
    QVERIFY(empty->isHidden() && !palette.list()->isHidden());

    palette.present();
    QTest::keyClick(palette.field(), Qt::Key_Escape);
    QVERIFY(!palette.isVisible());
    QVERIFY(m_backEnd->commandLines.isEmpty());
}

void TestQuickRun::ctrlKInTheManagementWindow()
{
    ContentView window(*m_store, *m_controller);
    QSignalSpy asked(&window, &ContentView::quickRunRequested);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    QTest::keyClick(&window, Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(asked.size(), 1);
}

void TestQuickRun::onlyALastingFocusLossDismisses()
{
    QuickRunPalette palette(*m_store, *m_controller, *m_history);
    QWidget elsewhere;
    elsewhere.show();
    QVERIFY(QTest::qWaitForWindowExposed(&elsewhere));
    palette.present();
    QApplication::setActiveWindow(&palette);
    QVERIFY(QTest::qWaitForWindowActive(&palette));
    // Focus taken away for a moment and given back, as sway does when an
    // input device is added.
    QApplication::setActiveWindow(&elsewhere);
    QApplication::setActiveWindow(&palette);
    QTest::qWait(2 * QuickRunPalette::dismissMilliseconds);
    QVERIFY(palette.isVisible());
    // A click elsewhere that stays there.
    QApplication::setActiveWindow(&elsewhere);
    QVERIFY(palette.isVisible());
    QTRY_VERIFY(!palette.isVisible());
}

QTEST_MAIN(TestQuickRun)
#include "tst_quickrun.moc"
