#include "ui/TrayPanelTone.h"

#include "ui/Appearance.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <algorithm>

namespace TrayPanelTone {

std::optional<PanelTone> fromGrab(const QImage &grab)
{
    if (grab.isNull() || grab.width() < 1 || grab.height() < 1)
        return std::nullopt;
    const QImage image = grab.convertToFormat(QImage::Format_RGB32);
    QList<int> lightness;
    for (const int y : {0, image.height() - 1})
        for (int x = 0; x < image.width(); ++x)
            lightness.append(QColor(image.pixel(x, y)).lightness());
    const auto middle = lightness.begin() + lightness.size() / 2;
    std::nth_element(lightness.begin(), middle, lightness.end());
    return *middle < 128 ? PanelTone::dark : PanelTone::light;
}

PanelTone of(const QRect &place)
{
    if (place.isValid() && QGuiApplication::platformName() == u"xcb") {
        if (QScreen *screen = QGuiApplication::screenAt(place.center())) {
            const QRect local = place.translated(-screen->geometry().topLeft());
            const QPixmap shot =
                screen->grabWindow(0, local.x(), local.y(), local.width(), local.height());
            if (const std::optional<PanelTone> tone = fromGrab(shot.toImage()))
                return *tone;
        }
    }
    switch (Appearance::systemColorScheme()) {
    case ColorScheme::dark:
        return PanelTone::dark;
    case ColorScheme::light:
        return PanelTone::light;
    case ColorScheme::noPreference:
        break;
    }
    return Appearance::isDark() ? PanelTone::dark : PanelTone::light;
}

} // namespace TrayPanelTone
