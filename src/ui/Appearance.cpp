#include "ui/Appearance.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

#include <optional>

namespace {

struct PlatformLook
{
    QString styleName;
    QPalette palette;
};

// Captured before the first forced look, so the system look can come back.
std::optional<PlatformLook> &platformLook()
{
    static std::optional<PlatformLook> look;
    return look;
}

void remember()
{
    if (!platformLook())
        platformLook() = PlatformLook{QApplication::style()->name(), QApplication::palette()};
}

enum class Forced { none, light, dark };
Forced forced = Forced::none;
AppearanceMode chosenMode = AppearanceMode::system;
ColorScheme systemScheme = ColorScheme::noPreference;

bool platformIsDark()
{
    return platformLook()->palette.color(QPalette::Window).lightness() < 128;
}

Forced wantedLook()
{
    switch (chosenMode) {
    case AppearanceMode::light:
        return Forced::light;
    case AppearanceMode::dark:
        return Forced::dark;
    case AppearanceMode::system:
        break;
    }
    switch (systemScheme) {
    case ColorScheme::dark:
        return platformIsDark() ? Forced::none : Forced::dark;
    case ColorScheme::light:
        return platformIsDark() ? Forced::light : Forced::none;
    case ColorScheme::noPreference:
        break;
    }
    return Forced::none;
}

void applyLook()
{
    remember();
    const Forced wanted = wantedLook();
    if (wanted == forced)
        return;
    forced = wanted;
    // Class palettes outlive the application's: the fields' one is set each time.
    static const char *const fields[] = {"QLineEdit", "QTextEdit", "QPlainTextEdit"};
    if (wanted == Forced::none) {
        QApplication::setStyle(platformLook()->styleName);
        QApplication::setPalette(platformLook()->palette);
        for (const char *field : fields)
            QApplication::setPalette(platformLook()->palette, field);
        return;
    }
    if (QApplication::style()->name().compare(u"fusion", Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStringLiteral("Fusion"));
    const QPalette palette =
        wanted == Forced::dark ? Appearance::darkPalette() : Appearance::lightPalette();
    QApplication::setPalette(palette);
    QPalette field = palette;
    if (wanted == Forced::dark) {
        // Fusion draws a field's frame in its window colour darkened, which on
        // the dark window all but vanishes against the field: a lighter window
        // for fields only (they do not fill it) gives the frame a visible edge.
        field.setColor(QPalette::Window, QColor(112, 112, 119));
    }
    for (const char *className : fields)
        QApplication::setPalette(field, className);
}

} // namespace

namespace Appearance {

QPalette lightPalette()
{
    QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion"));
    QPalette palette = fusion ? fusion->standardPalette() : QPalette(QColor(239, 239, 239));
    delete fusion;
    return palette;
}

QPalette darkPalette()
{
    const QColor window(45, 45, 48);
    const QColor base(30, 30, 32);
    const QColor text(232, 232, 232);
    const QColor disabledText(127, 127, 127);
    const QColor highlight(42, 130, 218);

    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(38, 38, 41));
    p.setColor(QPalette::ToolTipBase, QColor(60, 60, 64));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, disabledText);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(255, 80, 80));
    p.setColor(QPalette::Light, QColor(70, 70, 74));
    p.setColor(QPalette::Midlight, QColor(58, 58, 62));
    p.setColor(QPalette::Mid, QColor(38, 38, 40));
    p.setColor(QPalette::Dark, QColor(25, 25, 26));
    p.setColor(QPalette::Shadow, QColor(0, 0, 0));
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(90, 160, 240));
    p.setColor(QPalette::LinkVisited, QColor(160, 120, 230));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        p.setColor(QPalette::Disabled, role, disabledText);
    }
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(80, 80, 80));
    p.setColor(QPalette::Disabled, QPalette::HighlightedText, disabledText);
    return p;
}

QString platformStyleName()
{
    remember();
    return platformLook()->styleName;
}

} // namespace Appearance

void Appearance::setSystemColorScheme(ColorScheme scheme)
{
    systemScheme = scheme;
    applyLook();
}

ColorScheme Appearance::systemColorScheme()
{
    return systemScheme;
}

bool Appearance::isDark()
{
    remember();
    return forced == Forced::dark || (forced == Forced::none && platformIsDark());
}

void applyAppAppearance(AppearanceMode mode)
{
    chosenMode = mode;
    applyLook();
}
