#include "language/LanguageManager.h"
#include "library/ShellStore.h"
#include "run/RunController.h"
#include "settings/Preferences.h"
#include "settings/window/SettingsWindow.h"
#include "ui/Appearance.h"
#include "ui/IconMap.h"
#include "ui/MainWindowManager.h"
#include "window/ContentView.h"

#include "TestSupport.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QStyle>
#include <QTest>
#include <QWidget>

class TestAppearance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void forcedAndReleased_data();
    void forcedAndReleased();
    void iconsFollowPalette();
    void everySymbolHasItsFile();
    void raisesVisibleWindow();
    void opensWhenHiddenOrClosed();
    void windowsRebuildOnLanguageChange();
};

static int lightness(const QColor &color)
{
    return color.lightness();
}

void TestAppearance::forcedAndReleased_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("dark") << true;
    QTest::newRow("light") << false;
}

void TestAppearance::forcedAndReleased()
{
    QFETCH(bool, dark);
    const QString platformStyle = QApplication::style()->name();
    const QPalette platformPalette = QApplication::palette();
    QWidget open; // a window that is already open follows at once
    open.show();

    applyAppAppearance(dark ? AppearanceMode::dark : AppearanceMode::light);
    QCOMPARE(QApplication::style()->name().toLower(), QStringLiteral("fusion"));
    QCOMPARE(lightness(QApplication::palette().color(QPalette::Window)) < 128, dark);
    QTRY_COMPARE(open.palette().color(QPalette::Window),
                 QApplication::palette().color(QPalette::Window));

    // A text field's frame stands out from the field in either look.
    QWidget holder;
    holder.resize(160, 40);
    auto *field = new QLineEdit(&holder);
    field->setGeometry(10, 8, 140, 24);
    const QImage shot = holder.grab().toImage();
    const int edge = lightness(shot.pixelColor(field->x(), field->geometry().center().y()));
    const int inside = lightness(shot.pixelColor(field->geometry().center()));
    QVERIFY(qAbs(edge - inside) >= 25);

    applyAppAppearance(AppearanceMode::system); // releases
    QCOMPARE(QApplication::style()->name(), platformStyle);
    QCOMPARE(QApplication::palette().color(QPalette::Window),
             platformPalette.color(QPalette::Window));
    QCOMPARE(QApplication::palette().color(QPalette::WindowText),
             platformPalette.color(QPalette::WindowText));
    QTRY_COMPARE(open.palette().color(QPalette::Window), platformPalette.color(QPalette::Window));
}

static QColor inkOf(const QIcon &icon)
{
    const QImage image = icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 255)
                return QColor(image.pixel(x, y));
    return {};
}

void TestAppearance::iconsFollowPalette()
{
    const QIcon terminal = IconMap::icon(QStringLiteral("terminal"));
    QVERIFY(!terminal.isNull());
    applyAppAppearance(AppearanceMode::dark);
    const QColor onDark = inkOf(terminal);
    applyAppAppearance(AppearanceMode::light);
    const QColor onLight = inkOf(terminal);
    applyAppAppearance(AppearanceMode::system);
    QVERIFY(onDark.isValid() && onLight.isValid());
    QVERIFY2(lightness(onDark) > 160, qPrintable(onDark.name()));
    QVERIFY2(lightness(onLight) < 96, qPrintable(onLight.name()));
    QVERIFY(IconMap::icon(QStringLiteral("no.such.symbol")).isNull());
    QVERIFY(!IconMap::trayIcon().pixmap(16, 16).isNull());
    QVERIFY(!IconMap::applicationIcon().pixmap(64, 64).isNull());
}

void TestAppearance::everySymbolHasItsFile()
{
    const QStringList symbols = IconMap::symbols();
    QVERIFY(symbols.size() >= 9);
    for (const QString &symbol : symbols)
        QVERIFY2(QFile::exists(IconMap::resourceFor(symbol)), qPrintable(symbol));
    for (const char *used : {"terminal", "folder", "folder.fill", "play.fill", "gearshape",
                             "arrow.down.circle", "macwindow", "power"})
        QVERIFY2(symbols.contains(QLatin1StringView(used)), used);
    QVERIFY(QFile::exists(QStringLiteral(":/icons/image-shell.svg")));
}

void TestAppearance::raisesVisibleWindow()
{
    MainWindowManager manager;
    int opened = 0;
    auto open = [&opened]() -> QWidget * {
        ++opened;
        auto *w = new QWidget;
        w->setAttribute(Qt::WA_DeleteOnClose);
        return w;
    };
    QWidget *first = manager.focusOrOpen(open);
    QVERIFY(first && first->isVisible());
    QWidget other; // another window in front of it
    other.show();
    other.raise();
    QCOMPARE(manager.focusOrOpen(open), first);
    QCOMPARE(opened, 1);
    first->close(); // destroyed: the manager forgets it
    QTRY_VERIFY(!manager.window());
}

void TestAppearance::opensWhenHiddenOrClosed()
{
    MainWindowManager manager;
    int opened = 0;
    auto open = [&opened]() -> QWidget * {
        ++opened;
        auto *w = new QWidget;
        w->setAttribute(Qt::WA_DeleteOnClose);
        return w;
    };
    QWidget *first = manager.focusOrOpen(open);
    first->close();
    QWidget *second = manager.focusOrOpen(open);
    QCOMPARE(opened, 2);
    QVERIFY(second->isVisible());
    QCOMPARE(manager.window(), second);
    delete second;
    QVERIFY(!manager.window());
}

void TestAppearance::windowsRebuildOnLanguageChange()
{
    TestHome home;
    Preferences preferences(home.preferencesFile());
    ShellStore store(preferences, home.locations());
    RunController runs;
    auto *main = new ContentView(store, runs);
    main->show();
    QCOMPARE(MainWindowManager::shared().window(), main); // registers itself when shown
    QCOMPARE(main->windowTitle(), QStringLiteral("Orlenta"));
    QVERIFY(main->minimumSize() == QSize(760, 520));
    SettingsServices services; // its own preferences, no login item
    services.preferences = &preferences;
    SettingsWindow settings(store, services);
    settings.show();
    QPointer<QWidget> settingsContent = settings.findChild<QWidget *>(QStringLiteral("content"));
    QVERIFY(settingsContent);
    // The management window keeps its rows and selection: it sets its texts again.
    main->doneAction()->setText(QStringLiteral("stale"));

    Q_EMIT LanguageManager::shared().languageChanged();
    QTRY_VERIFY(!settingsContent); // built afresh, windows kept open
    QCOMPARE(main->doneAction()->text(), QStringLiteral("完成"));
    QVERIFY(settings.findChild<QWidget *>(QStringLiteral("content")));
    QVERIFY(main->isVisible() && settings.isVisible());

    main->close(); // closing destroys it; the manager lets go
    QTRY_VERIFY(!MainWindowManager::shared().window());
}

QTEST_MAIN(TestAppearance)
#include "tst_appearance.moc"
