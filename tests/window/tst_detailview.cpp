#include "WindowTestRig.h"
#include "language/LanguageManager.h"
#include "run/HandOverText.h"
#include "window/DetailView.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <QToolButton>

using namespace Qt::StringLiterals;

// The detail pane driven as a user drives it: what it shows for a node, its
// run control while runs come and go, the log, and the preset editor whose
// every keystroke reaches the saved document.
class TestDetailView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void folderSummary_data();
    void folderSummary();
    void runControlFollowsNodeAndRuns();
    void clearBringsBackTheEmptyLog();
    void logKeepsTheReadersPlace();
    void presetEditing();
    void returnInAPresetNeverRuns();
    void removingTheLastPresetMakesAPlainRun();
    void equalPresetsStayTwo();
    void previewIsTheRunsCommand();
    void changedElsewhereReloadsTheLines();
    void narrowPaneKeepsRoomForALongName();

private:
    QLineEdit *field(int row) const;
    QList<QLineEdit *> fields() const;
    QStringList storedArgs(const QUuid &id) const;
    QString document() const;

    std::unique_ptr<WindowTestRig> m_rig;
    std::unique_ptr<DetailView> m_view;
};

void TestDetailView::initTestCase()
{
    // The shared language manager reads the standard preferences: keep them private.
    static QTemporaryDir preferencesHome;
    Preferences::useStandardFile(preferencesHome.filePath(u"orlenta.ini"_s));
    LanguageManager::setTablesDirectoryOverride(QStringLiteral(ORLENTA_SOURCE_DIR "/resources"));
}

void TestDetailView::init()
{
    m_rig = std::make_unique<WindowTestRig>();
    m_view = std::make_unique<DetailView>(*m_rig->store, *m_rig->runs);
    m_view->resize(640, 520);
    m_view->show();
    m_view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
}

void TestDetailView::cleanup()
{
    m_view.reset();
    m_rig.reset();
}

QList<QLineEdit *> TestDetailView::fields() const
{
    QList<QLineEdit *> visible;
    for (QLineEdit *edit : m_view->findChildren<QLineEdit *>(u"argField"_s))
        if (edit->isVisibleTo(m_view.get()))
            visible.append(edit);
    return visible;
}

QLineEdit *TestDetailView::field(int row) const
{
    return fields().value(row);
}

QStringList TestDetailView::storedArgs(const QUuid &id) const
{
    const std::optional<ShellNode> node = Forest::first(m_rig->store->roots(), id);
    return node && node->args ? *node->args : QStringList{u"<none>"_s};
}

QString TestDetailView::document() const
{
    return QString::fromUtf8(m_rig->home.read(u"home/Documents/FennickTallowBay/tallowBay.json"_s));
}

void TestDetailView::folderSummary_data()
{
    QTest::addColumn<ShellNode>("folder");
    QTest::addColumn<QString>("summary");
    const ShellNode deep = WindowTestRig::folder(u"deep"_s, {WindowTestRig::script(u"c"_s),
                                                             WindowTestRig::script(u"d"_s),
                                                             WindowTestRig::script(u"e"_s)});
    QTest::newRow("two scripts and a subfolder of three")
        << WindowTestRig::folder(
               u"tools"_s, {WindowTestRig::script(u"a"_s), WindowTestRig::script(u"b"_s), deep})
        << LanguageManager::localized(u"%@ 个脚本 · %@ 个子项"_s, {u"5"_s, u"3"_s});
    QTest::newRow("empty") << WindowTestRig::folder(u"empty"_s)
                           << LanguageManager::localized(u"%@ 个脚本 · %@ 个子项"_s,
                                                         {u"0"_s, u"0"_s});
}

void TestDetailView::folderSummary()
{
    QFETCH(ShellNode, folder);
    QFETCH(QString, summary);
    m_rig->store->setRoots({folder});
    m_view->showNode(folder.id);
    auto *summaryLabel = m_view->findChild<QLabel *>(u"nodeSummary"_s);
    QCOMPARE(summaryLabel->text(), summary);

    // Light and dark switched while the pane is open: the tones follow.
    const QPalette before = QApplication::palette();
    QPalette dark = before;
    dark.setColor(QPalette::WindowText, QColor(240, 240, 240));
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    QApplication::setPalette(dark);
    QCoreApplication::processEvents();
    QCOMPARE(summaryLabel->palette().color(QPalette::WindowText).rgb(),
             QColor(240, 240, 240).rgb());
    QApplication::setPalette(before);
    auto *run = m_view->findChild<QPushButton *>(u"runButton"_s);
    QCOMPARE(run->text(), LanguageManager::localized(u"运行全部"_s));
    QVERIFY(run->isEnabled());
    QVERIFY(!run->menu());
    QVERIFY(!m_view->findChild<QWidget *>(u"pathChip"_s)->isVisibleTo(m_view.get()));
    QVERIFY(!m_view->argsEditor());

    // Another language while the pane is open: its texts follow.
    LanguageManager::shared().setSelection(AppLanguage::en);
    QCOMPARE(run->text(), u"Run All"_s);
    QCOMPARE(m_view->findChild<QPushButton *>(u"copyPathButton"_s)->text(), u"Copy Path"_s);
    LanguageManager::shared().setSelection(AppLanguage::zhHans);
    QCOMPARE(run->text(), u"运行全部"_s);
}

void TestDetailView::runControlFollowsNodeAndRuns()
{
    const ShellNode plain = WindowTestRig::script(u"plain"_s, QStringList{u"  "_s, QString()});
    const ShellNode presets =
        WindowTestRig::script(u"deploy"_s, QStringList{u"stop"_s, u"start"_s});
    const ShellNode folder = WindowTestRig::folder(u"all"_s, {plain});
    m_rig->store->setRoots({folder, presets});
    auto *run = m_view->findChild<QPushButton *>(u"runButton"_s);

    // Blank stored entries are no presets: a plain button.
    m_view->showNode(plain.id);
    QCOMPARE(run->text(), LanguageManager::localized(u"运行"_s));
    QVERIFY(!run->menu());

    // The Return key runs what is shown; the control stays off until the
    // hand-over is done, and Return does nothing meanwhile.
    m_view->setFocus();
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QTRY_VERIFY(m_rig->runs->isRunning());
    QVERIFY(!run->isEnabled());
    QTest::keyClick(m_view.get(), Qt::Key_Return);
    QTRY_VERIFY(!m_rig->runs->isRunning());
    QVERIFY(run->isEnabled());
    QCOMPARE(m_rig->terminal->commandLines.size(), 1);

    // Presets: a pull-down with one entry each, in stored order, and no plain run.
    m_view->showNode(presets.id);
    QVERIFY(run->menu());
    QStringList entries;
    for (QAction *action : run->menu()->actions())
        entries << action->text();
    QCOMPARE(entries, (QStringList{u"stop"_s, u"start"_s}));
    run->menu()->actions().at(1)->trigger();
    QTRY_VERIFY(!run->isEnabled());
    QTRY_VERIFY(run->isEnabled());
    QCOMPARE(m_rig->terminal->commandLines.last(),
             HandOverText::build(*presets.filePath, u"start"_s).commandLine);

    // Modifiers make Return something else.
    m_view->showNode(folder.id);
    QTest::keyClick(m_view.get(), Qt::Key_Return, Qt::ShiftModifier);
    QTest::qWait(20);
    QVERIFY(!m_rig->runs->isRunning());
    QTest::mouseClick(run, Qt::LeftButton);
    QTRY_VERIFY(!m_rig->runs->isRunning() && m_rig->terminal->commandLines.size() == 3);
}

void TestDetailView::returnInAPresetNeverRuns()
{
    const ShellNode deploy =
        WindowTestRig::script(u"deploy"_s, QStringList{u"stop"_s, u"start"_s});
    m_rig->store->setRoots({deploy});
    m_view->showNode(deploy.id);

    // Return and keypad Enter walk down the lines and add one after the last;
    // no run starts and no run menu opens.
    QTest::mouseClick(field(0), Qt::LeftButton);
    QTest::keyClick(field(0), Qt::Key_Return);
    QVERIFY(field(1)->hasFocus());
    QTest::keyClick(field(1), Qt::Key_Enter, Qt::KeypadModifier);
    QTRY_COMPARE(fields().size(), 3);
    QVERIFY(field(2)->hasFocus());
    QTest::keyClicks(field(2), u"status"_s);
    QTest::keyClick(field(2), Qt::Key_Return);
    QTRY_COMPARE(fields().size(), 4);
    QTest::qWait(20);
    QVERIFY(!QApplication::activePopupWidget());
    QVERIFY(!m_rig->runs->isRunning());
    QVERIFY(m_rig->terminal->commandLines.isEmpty());
    QCOMPARE(storedArgs(deploy.id), (QStringList{u"stop"_s, u"start"_s, u"status"_s}));
}

void TestDetailView::clearBringsBackTheEmptyLog()
{
    const ShellNode script = WindowTestRig::script(u"x"_s);
    m_rig->store->setRoots({script});
    m_view->showNode(script.id);
    auto *clear = m_view->findChild<QPushButton *>(u"clearOutput"_s);
    auto *log = m_view->findChild<QPlainTextEdit *>(u"outputText"_s);
    auto *empty = m_view->findChild<QWidget *>(u"outputEmpty"_s);
    auto *status = m_view->findChild<QLabel *>(u"outputStatus"_s);
    QVERIFY(empty->isVisible());
    QVERIFY(!clear->isEnabled());

    m_rig->runs->run(script, *m_rig->store);
    QTRY_VERIFY(m_rig->runs->isRunning());
    QCOMPARE(status->accessibleName(), LanguageManager::localized(u"运行中：%@"_s, {u"x"_s}));
    QVERIFY(m_view->findChild<QWidget *>(u"outputSpinner"_s)->isVisible());
    QTRY_VERIFY(log->isVisible());
    QVERIFY(log->toPlainText().contains(u"[x.sh]"_s));

    // Cleared during the run: the empty state until new text arrives.
    QTest::mouseClick(clear, Qt::LeftButton);
    QVERIFY(empty->isVisible());
    QVERIFY(!clear->isEnabled());
    QTRY_VERIFY(!m_rig->runs->isRunning());
    QCOMPARE(status->accessibleName(), LanguageManager::localized(u"输出"_s));
    QVERIFY(!m_view->findChild<QWidget *>(u"outputSpinner"_s)->isVisible());
}

void TestDetailView::logKeepsTheReadersPlace()
{
    // The first script's hand-over reports a long text, the second a short one.
    const ShellNode folder = WindowTestRig::folder(
        u"f"_s, {WindowTestRig::script(u"long"_s), WindowTestRig::script(u"x"_s)});
    m_rig->store->setRoots({folder});
    m_view->showNode(folder.id);
    auto *log = m_view->findChild<QPlainTextEdit *>(u"outputText"_s);
    m_rig->runs->run(folder, *m_rig->store);
    QTRY_VERIFY(log->toPlainText().contains(u"line 99"_s));
    QScrollBar *bar = log->verticalScrollBar();
    QVERIFY(bar->maximum() > 10);
    bar->setValue(5);
    QTRY_VERIFY(log->toPlainText().contains(u"[x.sh]"_s));
    QCOMPARE(bar->value(), 5);
}

void TestDetailView::presetEditing()
{
    const ShellNode script = WindowTestRig::script(u"deploy"_s);
    const ShellNode other = WindowTestRig::script(u"other"_s);
    m_rig->store->setRoots({script, other});
    m_view->showNode(script.id);

    // No stored list: heading and the add button only; an added blank line
    // stores nothing.
    QVERIFY(fields().isEmpty());
    QTest::mouseClick(m_view->findChild<QToolButton *>(u"addArg"_s), Qt::LeftButton);
    QCOMPARE(fields().size(), 1);
    QVERIFY(field(0)->hasFocus());
    QCOMPARE(storedArgs(script.id), QStringList{u"<none>"_s});

    // Every keystroke is saved; the line keeps the trailing space, the store does not.
    QTest::keyClicks(field(0), u"start --force \"a b\" "_s);
    QCOMPARE(fields().at(0)->text(), u"start --force \"a b\" "_s);
    QCOMPARE(storedArgs(script.id), QStringList{u"start --force \"a b\""_s});
    QVERIFY(document().contains(uR"("start --force \"a b\"")"_s));
    auto *run = m_view->findChild<QPushButton *>(u"runButton"_s);
    QVERIFY(run->menu());

    // Away and back: the line shows what was stored.
    m_view->showNode(other.id);
    m_view->showNode(script.id);
    QTRY_COMPARE(fields().size(), 1);
    QCOMPARE(fields().at(0)->text(), u"start --force \"a b\""_s);
}

void TestDetailView::removingTheLastPresetMakesAPlainRun()
{
    const ShellNode script = WindowTestRig::script(u"deploy"_s, QStringList{u"stop"_s});
    m_rig->store->setRoots({script});
    m_view->showNode(script.id);
    auto *run = m_view->findChild<QPushButton *>(u"runButton"_s);
    QVERIFY(run->menu());
    QCOMPARE(fields().size(), 1);

    field(0)->setFocus();
    QTest::mouseClick(m_view->findChildren<QToolButton *>(u"removeArg"_s).first(), Qt::LeftButton);
    QCOMPARE(fields().size(), 0);
    QCOMPARE(storedArgs(script.id), QStringList{u"<none>"_s});
    QVERIFY(Forest::first(m_rig->store->roots(), script.id)->argPresets().isEmpty());
    QVERIFY(!run->menu());
    QCOMPARE(run->text(), LanguageManager::localized(u"运行"_s));
    // The keyboard stays in the editor.
    QVERIFY(m_view->findChild<QToolButton *>(u"addArg"_s)->hasFocus());
}

void TestDetailView::equalPresetsStayTwo()
{
    const ShellNode script = WindowTestRig::script(u"deploy"_s, QStringList{u"up"_s, u"up"_s});
    m_rig->store->setRoots({script});
    m_view->showNode(script.id);
    QCOMPARE(fields().size(), 2);
    QTest::keyClicks(field(1), u"!"_s);
    QCOMPARE(storedArgs(script.id), (QStringList{u"up"_s, u"up!"_s}));

    // Removing the first removes exactly that line.
    QTest::mouseClick(m_view->findChildren<QToolButton *>(u"removeArg"_s).first(), Qt::LeftButton);
    QCOMPARE(fields().size(), 1);
    QCOMPARE(fields().at(0)->text(), u"up!"_s);
    QCOMPARE(storedArgs(script.id), QStringList{u"up!"_s});
}

void TestDetailView::previewIsTheRunsCommand()
{
    const ShellNode script =
        WindowTestRig::script(u"it's"_s, QStringList{u"start --force \"a b\""_s, u"stop"_s});
    m_rig->store->setRoots({script});
    m_view->showNode(script.id);
    auto *preview = m_view->findChild<QTextEdit *>(u"commandPreview"_s);
    const QStringList expected{
        HandOverText::build(*script.filePath, u"start --force \"a b\""_s).commandLine,
        HandOverText::build(*script.filePath, u"stop"_s).commandLine};
    QCOMPARE(preview->toPlainText().split(u'\n'), expected);

    // What a run hands over is what the preview said.
    m_view->findChild<QPushButton *>(u"runButton"_s)->menu()->actions().at(0)->trigger();
    QTRY_COMPARE(m_rig->terminal->commandLines.size(), 1);
    QCOMPARE(m_rig->terminal->commandLines.at(0), expected.at(0));

    // A typed preset shows at once, as the store cleans it.
    QTest::keyClicks(field(1), u"  "_s);
    QCOMPARE(preview->toPlainText().split(u'\n'), expected);
    QLineEdit *first = fields().at(0);
    first->selectAll();
    QTest::keyClick(first, Qt::Key_Backspace);
    QCOMPARE(preview->toPlainText(), expected.at(1));

    // A longer list scrolls, and the box ends between two lines: no half line
    // peeks in at the bottom.
    m_rig->store->setArgs(script.id, {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s});
    QCOMPARE(preview->toPlainText().count(u'\n'), 5);
    const qreal line = preview->document()->begin().layout()->lineAt(0).height();
    QCOMPARE(preview->viewport()->height(),
             qFloor(4 * line) + int(preview->document()->documentMargin()));
}

void TestDetailView::changedElsewhereReloadsTheLines()
{
    const ShellNode script = WindowTestRig::script(u"deploy"_s, QStringList{u"a"_s});
    m_rig->store->setRoots({script});
    m_view->showNode(script.id);
    QTest::keyClicks(field(0), u" "_s);
    QCOMPARE(fields().at(0)->text(), u"a "_s);

    // An edit of the same list from elsewhere (an undo, the command line)
    // shows; one that leaves this list alone keeps the typed space.
    m_rig->store->addFolder(std::nullopt, u"f"_s);
    QCOMPARE(fields().at(0)->text(), u"a "_s);
    m_rig->store->setArgs(script.id, {u"b"_s, u"c"_s});
    QTRY_COMPARE(fields().size(), 2);
    QCOMPARE(fields().at(1)->text(), u"c"_s);

    // Deleted: the welcome text.
    m_rig->store->deleteNode(script.id);
    QVERIFY(m_view->findChild<QWidget *>(u"emptyDetail"_s)->isVisible());
}

void TestDetailView::narrowPaneKeepsRoomForALongName()
{
    // Too narrow for a long name beside them, the buttons go under it.
    const ShellNode script = WindowTestRig::script(QString(40, u'长'));
    m_rig->store->setRoots({script});
    m_view->showNode(script.id);
    auto *name = m_view->findChild<QWidget *>(u"nodeName"_s);
    auto *run = m_view->findChild<QPushButton *>(u"runButton"_s);
    const auto under = [&] { return run->y() > name->y() + name->height(); };
    QTRY_VERIFY(!under());
    m_view->resize(420, 520);
    QTRY_VERIFY(under());
    m_view->resize(640, 520);
    QTRY_VERIFY(!under());
}

QTEST_MAIN(TestDetailView)
#include "tst_detailview.moc"
