// "system" appearance following the desktop's colour scheme through a
// stand-in settings portal on a private bus, and the tray symbol's variant
// for the panel's tone.
#include "ui/Appearance.h"
#include "ui/ColorSchemePortal.h"
#include "ui/IconMap.h"
#include "ui/TrayPanelTone.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusVariant>
#include <QPainter>
#include <QProcess>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

namespace {

// Stands in for xdg-desktop-portal's settings interface.
class FakePortal : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    uint colorScheme = 0;

    void change(uint value)
    {
        colorScheme = value;
        Q_EMIT SettingChanged(QStringLiteral("org.freedesktop.appearance"),
                              QStringLiteral("color-scheme"), QDBusVariant(value));
    }

public Q_SLOTS:
    // As the portal answers: the value in one variant more than the signal's.
    QDBusVariant Read(const QString &group, const QString &key)
    {
        if (group == u"org.freedesktop.appearance" && key == u"color-scheme")
            return QDBusVariant(QVariant::fromValue(QDBusVariant(colorScheme)));
        return QDBusVariant(QString());
    }

Q_SIGNALS:
    void SettingChanged(const QString &group, const QString &key, const QDBusVariant &value);
};

bool windowsAreDark()
{
    return QApplication::palette().color(QPalette::Window).lightness() < 128;
}

QColor inkOf(const QIcon &icon)
{
    const QImage image = icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
    return QColor(image.pixel(16, 16)); // inside the symbol's tile
}

} // namespace

class TestColorScheme : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void systemFollowsThePortal();
    void noPortalKeepsThePlatformLook();
    void panelToneFromGrab_data();
    void panelToneFromGrab();
    void trayVariantHasInkForItsPanel();

private:
    QProcess m_daemon;
    QString m_address;
};

void TestColorScheme::initTestCase()
{
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
    if (!m_daemon.waitForStarted(5000))
        QSKIP("dbus-daemon is not installed");
    QTRY_VERIFY_WITH_TIMEOUT(m_daemon.canReadLine(), 5000);
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    QVERIFY(!windowsAreDark()); // the offscreen platform's palette is light
}

void TestColorScheme::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
    QDBusConnection::disconnectFromBus(QStringLiteral("app"));
    QDBusConnection::disconnectFromBus(QStringLiteral("lonely"));
    m_daemon.terminate();
    m_daemon.waitForFinished(5000);
}

void TestColorScheme::systemFollowsThePortal()
{
    QDBusConnection server = QDBusConnection::connectToBus(m_address, QStringLiteral("portal"));
    FakePortal portal;
    portal.colorScheme = 1; // prefer dark
    QVERIFY(
        server.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                              QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
    QVERIFY(server.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));

    applyAppAppearance(AppearanceMode::system);
    ColorSchemePortal scheme(QDBusConnection::connectToBus(m_address, QStringLiteral("app")));
    connect(&scheme, &ColorSchemePortal::schemeChanged, this, &Appearance::setSystemColorScheme);
    QTRY_COMPARE(scheme.scheme(), ColorScheme::dark);
    QVERIFY(windowsAreDark());
    QVERIFY(Appearance::isDark());

    // The desktop switches while the app runs.
    portal.change(2);
    QTRY_COMPARE(scheme.scheme(), ColorScheme::light);
    QVERIFY(!windowsAreDark());
    portal.change(1);
    QTRY_VERIFY(windowsAreDark());

    // A forced appearance wins over the desktop; "system" follows it again.
    applyAppAppearance(AppearanceMode::light);
    QVERIFY(!windowsAreDark());
    applyAppAppearance(AppearanceMode::system);
    QVERIFY(windowsAreDark());

    portal.change(0); // no preference: the platform's own look
    QTRY_COMPARE(scheme.scheme(), ColorScheme::noPreference);
    QVERIFY(!windowsAreDark());
    QCOMPARE(QApplication::style()->name(), Appearance::platformStyleName());
}

void TestColorScheme::noPortalKeepsThePlatformLook()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
    ColorSchemePortal scheme(QDBusConnection::connectToBus(m_address, QStringLiteral("lonely")));
    QSignalSpy changes(&scheme, &ColorSchemePortal::schemeChanged);
    QTest::qWait(200); // the failed read has come back
    QCOMPARE(changes.size(), 0);
    QCOMPARE(scheme.scheme(), ColorScheme::noPreference);

    // No session bus at all.
    ColorSchemePortal none{QDBusConnection(QStringLiteral("never-connected"))};
    QCOMPARE(none.scheme(), ColorScheme::noPreference);
}

void TestColorScheme::panelToneFromGrab_data()
{
    QTest::addColumn<QColor>("panel");
    QTest::addColumn<QColor>("symbol");
    QTest::addColumn<int>("tone");
    QTest::newRow("dark panel, light symbol")
        << QColor(43, 43, 43) << QColor(242, 242, 242) << int(PanelTone::dark);
    QTest::newRow("light panel, dark symbol")
        << QColor(236, 236, 236) << QColor(28, 28, 30) << int(PanelTone::light);
    QTest::newRow("dark panel, dark symbol")
        << QColor(30, 60, 90) << QColor(0, 0, 0) << int(PanelTone::dark);
    QTest::newRow("light panel, light symbol")
        << QColor(200, 220, 255) << QColor(255, 255, 255) << int(PanelTone::light);
}

void TestColorScheme::panelToneFromGrab()
{
    QFETCH(QColor, panel);
    QFETCH(QColor, symbol);
    QFETCH(int, tone);
    // A 22 px icon place: the symbol covers the middle and most of the width.
    QImage grab(22, 22, QImage::Format_RGB32);
    grab.fill(panel);
    QPainter(&grab).fillRect(QRect(0, 2, 22, 18), symbol);
    QCOMPARE(TrayPanelTone::fromGrab(grab), std::optional<PanelTone>(PanelTone(tone)));
    QVERIFY(!TrayPanelTone::fromGrab(QImage()));
}

void TestColorScheme::trayVariantHasInkForItsPanel()
{
    QVERIFY(inkOf(IconMap::trayIcon(PanelTone::dark)).lightness() > 200);
    QVERIFY(inkOf(IconMap::trayIcon(PanelTone::light)).lightness() < 60);
    // Without a place on screen the desktop's scheme tells the panel's tone.
    Appearance::setSystemColorScheme(ColorScheme::dark);
    QCOMPARE(TrayPanelTone::of(QRect()), PanelTone::dark);
    Appearance::setSystemColorScheme(ColorScheme::light);
    QCOMPARE(TrayPanelTone::of(QRect()), PanelTone::light);
    Appearance::setSystemColorScheme(ColorScheme::noPreference);
}

QTEST_MAIN(TestColorScheme)
#include "tst_colorscheme.moc"
