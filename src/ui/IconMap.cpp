#include "ui/IconMap.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QPixmapCache>
#include <QSvgRenderer>

#include <optional>
#include <utility>

namespace {

struct Entry
{
    const char *symbol;
    const char *file; // bootstrap-icons name, without ".svg"
};

// tools/refresh-icons.sh reads the file names from these lines.
// clang-format off
constexpr Entry kMap[] = {
    {"terminal", "terminal"},
    {"folder", "folder"},
    {"folder.fill", "folder-fill"},
    {"folder.badge.plus", "folder-plus"},
    {"play.fill", "play-fill"},
    {"gearshape", "gear"},
    {"arrow.down.circle", "arrow-down-circle"},
    {"macwindow", "window"},
    {"uiwindow.split.2x1", "window-split"},
    {"power", "power"},
    {"doc.text", "file-text"},
    {"doc.plaintext", "file-earmark-text"},
    {"doc.on.doc", "files"},
    {"icloud", "cloud"},
    {"icloud.fill", "cloud-fill"},
    {"icloud.and.arrow.up", "cloud-arrow-up"},
    {"internaldrive", "device-hdd"},
    {"internaldrive.fill", "device-hdd-fill"},
    {"info.circle", "info-circle"},
    {"line.3.horizontal.circle.fill", "list"},
    {"minus.circle.fill", "dash-circle-fill"},
    {"plus", "plus-lg"},
    {"slider.horizontal.3", "sliders"},
    {"square.and.arrow.down", "box-arrow-in-down"},
    {"square.and.arrow.down.fill", "arrow-down-square-fill"},
    {"square.and.arrow.down.on.square", "download"},
    {"square.and.arrow.down.on.square.fill", "arrow-down-circle-fill"},
    {"tray.2", "inboxes"},
    {"checkmark", "check-lg"},
    {"paintbrush", "brush"},
    {"magnifyingglass", "search"},
    {"arrow.uturn.backward", "arrow-counterclockwise"},
    {"exclamationmark.triangle.fill", "exclamation-triangle-fill"},
};
// clang-format on

QByteArray readResource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Renders an SVG whose shapes use "currentColor" in a colour taken from the
// palette when painted, so icons follow the application's appearance.
class SymbolIconEngine final : public QIconEngine
{
public:
    SymbolIconEngine(QString path, bool halo, std::optional<QColor> ink = std::nullopt)
        : m_path(std::move(path)), m_halo(halo), m_ink(ink)
    {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QPixmap pm = scaledPixmap(rect.size(), mode, state, dpr);
        painter->drawPixmap(rect, pm);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
        const QColor color = m_ink && mode != QIcon::Disabled ? *m_ink : colorFor(mode);
        const QSize px = size * scale;
        const QString key = QStringLiteral("orlenta-icon:%1:%2x%3:%4:%5")
                                .arg(m_path)
                                .arg(px.width())
                                .arg(px.height())
                                .arg(color.rgba())
                                .arg(m_halo);
        QPixmap result;
        if (QPixmapCache::find(key, &result))
            return result;
        result = QPixmap(px);
        result.fill(Qt::transparent);
        {
            QPainter p(&result);
            p.setRenderHint(QPainter::Antialiasing);
            if (m_halo) {
                // A thin outline in the contrasting tone keeps the glyph
                // readable on a panel of either tone.
                QColor haloColor =
                    qGray(color.rgb()) > 127 ? QColor(0, 0, 0) : QColor(255, 255, 255);
                haloColor.setAlphaF(0.55f);
                const QImage halo = render(haloColor, px);
                const qreal d = qMax<qreal>(1.0, px.width() / 24.0);
                for (const QPointF offset :
                     {QPointF(-d, 0), QPointF(d, 0), QPointF(0, -d), QPointF(0, d)})
                    p.drawImage(offset, halo);
            }
            p.drawImage(QPointF(0, 0), render(color, px));
        }
        result.setDevicePixelRatio(scale);
        QPixmapCache::insert(key, result);
        return result;
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = qMin(size.width(), size.height());
        return {side, side};
    }

    QIconEngine *clone() const override { return new SymbolIconEngine(m_path, m_halo, m_ink); }
    QString key() const override { return QStringLiteral("OrlentaSymbol"); }

private:
    static QColor colorFor(QIcon::Mode mode)
    {
        const QPalette palette = QGuiApplication::palette();
        switch (mode) {
        case QIcon::Disabled:
            return palette.color(QPalette::Disabled, QPalette::WindowText);
        case QIcon::Selected:
            return palette.color(QPalette::Active, QPalette::HighlightedText);
        case QIcon::Active:
        case QIcon::Normal:
            break;
        }
        return palette.color(QPalette::Active, QPalette::WindowText);
    }

    QImage render(const QColor &color, const QSize &px)
    {
        if (m_svg.isNull())
            m_svg = readResource(m_path);
        QByteArray svg = m_svg;
        svg.replace("currentColor", color.name(QColor::HexRgb).toLatin1());
        QImage image(px, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QSvgRenderer renderer(svg);
        QPainter p(&image);
        if (color.alpha() < 255)
            p.setOpacity(color.alphaF());
        // Keep the aspect ratio; symbols are square but not all of them.
        QSizeF s = renderer.defaultSize();
        s.scale(px, Qt::KeepAspectRatio);
        renderer.render(
            &p, QRectF(QPointF((px.width() - s.width()) / 2, (px.height() - s.height()) / 2), s));
        return image;
    }

    QString m_path;
    bool m_halo;
    std::optional<QColor> m_ink; // fixed, instead of the palette's text colour
    QByteArray m_svg;
};

QHash<QString, QIcon> &iconCache()
{
    static QHash<QString, QIcon> cache;
    return cache;
}

} // namespace

namespace IconMap {

QString resourceFor(const QString &symbol)
{
    for (const Entry &entry : kMap) {
        if (symbol == QLatin1StringView(entry.symbol))
            return QStringLiteral(":/icons/%1.svg").arg(QLatin1StringView(entry.file));
    }
    return {};
}

QIcon icon(const QString &symbol)
{
    auto &cache = iconCache();
    if (auto it = cache.constFind(symbol); it != cache.constEnd())
        return *it;
    const QString path = resourceFor(symbol);
    QIcon result = path.isEmpty() ? QIcon() : QIcon(new SymbolIconEngine(path, false));
    cache.insert(symbol, result);
    return result;
}

QPixmap pixmap(const QString &symbol, const QSize &size, const QColor &color, qreal scale)
{
    const QString path = resourceFor(symbol);
    if (path.isEmpty() || size.isEmpty())
        return {};
    const QSize px = size * scale;
    const QString key = QStringLiteral("orlenta-tinted:%1:%2x%3:%4")
                            .arg(path)
                            .arg(px.width())
                            .arg(px.height())
                            .arg(color.rgba());
    QPixmap result;
    if (QPixmapCache::find(key, &result))
        return result;
    QByteArray svg = readResource(path);
    svg.replace("currentColor", color.name(QColor::HexRgb).toLatin1());
    QImage image(px, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QSvgRenderer renderer(svg);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setOpacity(color.alphaF());
        QSizeF s = renderer.defaultSize();
        s.scale(px, Qt::KeepAspectRatio);
        renderer.render(
            &p, QRectF(QPointF((px.width() - s.width()) / 2, (px.height() - s.height()) / 2), s));
    }
    result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(scale);
    QPixmapCache::insert(key, result);
    return result;
}

QStringList symbols()
{
    QStringList names;
    for (const Entry &entry : kMap)
        names.append(QString::fromLatin1(entry.symbol));
    return names;
}

QIcon trayIcon(PanelTone panel)
{
    // Light ink on a dark panel, dark ink on a light one; the halo in the
    // other tone stays for a panel of mixed or unknown tone.
    const QColor ink = panel == PanelTone::dark ? QColor(242, 242, 242) : QColor(28, 28, 30);
    return QIcon(new SymbolIconEngine(QStringLiteral(":/icons/image-shell.svg"), true, ink));
}

QIcon trayIcon()
{
    return QIcon(new SymbolIconEngine(QStringLiteral(":/icons/image-shell.svg"), true));
}

QIcon applicationIcon()
{
    static const QIcon icon(QStringLiteral(":/icons/orlenta.svg"));
    return icon;
}

} // namespace IconMap
