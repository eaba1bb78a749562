#include "language/LanguageManager.h"
#include "library/ShellStore.h"
#include "run/RunController.h"
#include "settings/Preferences.h"
#include "settings/window/SettingsWindow.h"
#include "ui/Appearance.h"
#include "ui/IconMap.h"
#include "ui/MainWindowManager.h"
#include "ui/SegmentButton.h"
#include "ui/TextStyle.h"
#include "window/ContentView.h"

#include "TestSupport.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QStyle>
#include <QTest>
#include <QTextEdit>

#include <QWidget>
#include <cmath>

class TestAppearance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void forcedAndReleased_data();
    void forcedAndReleased();
    void destructiveAndChosenAreReadable_data();
    void destructiveAndChosenAreReadable();
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

    // A text field's frame, and a text box's (the command preview), stands
    // out from the field in either look.
    QWidget holder;
    holder.resize(160, 80);
    auto *line = new QLineEdit(&holder);
    line->setGeometry(10, 8, 140, 24);
    auto *box = new QTextEdit(&holder);
    box->setGeometry(10, 40, 140, 32);
    const QImage shot = holder.grab().toImage();
    for (QWidget *field : {static_cast<QWidget *>(line), static_cast<QWidget *>(box)}) {
        const int edge = lightness(shot.pixelColor(field->x(), field->geometry().center().y()));
        const int inside = lightness(shot.pixelColor(field->geometry().center()));
        QVERIFY2(qAbs(edge - inside) >= 25, field->metaObject()->className());
    }

    applyAppAppearance(AppearanceMode::system); // releases
    QCOMPARE(QApplication::style()->name(), platformStyle);
    QCOMPARE(QApplication::palette().color(QPalette::Window),
             platformPalette.color(QPalette::Window));
    QCOMPARE(QApplication::palette().color(QPalette::WindowText),
             platformPalette.color(QPalette::WindowText));
    QTRY_COMPARE(open.palette().color(QPalette::Window), platformPalette.color(QPalette::Window));
}

// The contrast ratio of two opaque colours, as accessibility guidelines define it.
static double contrast(const QColor &a, const QColor &b)
{
    auto luminance = [](const QColor &c) {
        auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

static QColor over(QColor top, const QColor &below)
{
    const double a = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * a + below.redF() * (1 - a)),
                            float(top.greenF() * a + below.greenF() * (1 - a)),
                            float(top.blueF() * a + below.blueF() * (1 - a)));
}

void TestAppearance::destructiveAndChosenAreReadable_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("dark") << true;
    QTest::newRow("light") << false;
}

void TestAppearance::destructiveAndChosenAreReadable()
{
    QFETCH(bool, dark);
    applyAppAppearance(dark ? AppearanceMode::dark : AppearanceMode::light);
    const QPalette palette = QApplication::palette();
    const QColor window = palette.color(QPalette::Window);

    // Delete and remove read as text on windows, fields and buttons.
    const QColor red = TextStyle::color(palette, TextStyle::Tone::destructive);
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
        QVERIFY2(contrast(red, palette.color(role)) >= 4.5, qPrintable(red.name()));
    QVERIFY(red.red() > 2 * red.green()); // and still a red

    // Headings in the secondary tone (the sidebar's "脚本库").
    QVERIFY(contrast(over(TextStyle::color(palette, TextStyle::Tone::secondary), window), window) >=
            4.5);

    // The chosen segment stands apart from the other, its text from its fill.
    QWidget holder;
    holder.setAutoFillBackground(true);
    auto *chosen = new SegmentButton(&holder);
    chosen->setText(QStringLiteral("名称"));
    chosen->setChecked(true);
    auto *other = new SegmentButton(&holder);
    other->setText(QStringLiteral("自定义"));
    chosen->setGeometry(0, 0, 80, 24);
    other->setGeometry(80, 0, 80, 24);
    holder.resize(160, 24);
    const QImage shot = holder.grab().toImage();
    const QColor fill = shot.pixelColor(4, 12);
    const QColor otherFill = shot.pixelColor(84, 12);
    QVERIFY2(contrast(fill, otherFill) >= 3, qPrintable(fill.name() + u' ' + otherFill.name()));
    double text = 0;
    for (int x = 0; x < 80; ++x)
        for (int y = 0; y < 24; ++y)
            text = qMax(text, contrast(shot.pixelColor(x, y), fill));
    QVERIFY2(text >= 4.5, qPrintable(QString::number(text)));
    applyAppAppearance(AppearanceMode::system);
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
