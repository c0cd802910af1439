#include "tools/picgen/AppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace picgen {

namespace {
// Coordinates on a 256 x 256 canvas.
struct Box {
    double x, y, w, h, radius;
    const char* fill;
};
constexpr Box kTile{16, 16, 224, 224, 44, nullptr}; // filled with the gradient below
constexpr const char* kTileTop = "#3f7fd6";
constexpr const char* kTileBottom = "#1d4b93";
constexpr Box kSheet{60, 40, 136, 176, 12, "#ffffff"};
constexpr Box kLines[] = {
    {84, 72, 88, 12, 6, "#b8c9e3"}, {84, 100, 88, 12, 6, "#b8c9e3"}, {84, 128, 56, 12, 6, "#b8c9e3"}};
constexpr double kBadgeX = 176, kBadgeY = 184, kBadgeRadius = 48, kBadgeRing = 10;
constexpr const char* kBadge = "#2f9e44";
constexpr double kTick[][2] = {{152, 185}, {170, 203}, {201, 168}};
constexpr double kTickWidth = 14;
constexpr const char* kWhite = "#ffffff";

QByteArray rect(const Box& b, const QByteArray& fill) {
    return QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>\n")
        .arg(b.x)
        .arg(b.y)
        .arg(b.w)
        .arg(b.h)
        .arg(b.radius)
        .arg(QString::fromLatin1(fill))
        .toUtf8();
}
} // namespace

QByteArray appIconSvg() {
    QByteArray svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n";
    svg += QStringLiteral("  <defs><linearGradient id=\"tile\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
                          "<stop offset=\"0\" stop-color=\"%1\"/><stop offset=\"1\" stop-color=\"%2\"/>"
                          "</linearGradient></defs>\n")
               .arg(QLatin1String(kTileTop), QLatin1String(kTileBottom))
               .toUtf8();
    svg += rect(kTile, "url(#tile)");
    svg += rect(kSheet, kSheet.fill);
    for (const Box& line : kLines)
        svg += rect(line, line.fill);
    svg += QStringLiteral(
               "  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\" stroke=\"%5\" stroke-width=\"%6\"/>\n")
               .arg(kBadgeX)
               .arg(kBadgeY)
               .arg(kBadgeRadius)
               .arg(QLatin1String(kBadge), QLatin1String(kWhite))
               .arg(kBadgeRing)
               .toUtf8();
    svg += QStringLiteral(
               "  <polyline points=\"%1,%2 %3,%4 %5,%6\" fill=\"none\" stroke=\"%7\" stroke-width=\"%8\" "
               "stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n")
               .arg(kTick[0][0])
               .arg(kTick[0][1])
               .arg(kTick[1][0])
               .arg(kTick[1][1])
               .arg(kTick[2][0])
               .arg(kTick[2][1])
               .arg(QLatin1String(kWhite))
               .arg(kTickWidth)
               .toUtf8();
    svg += "</svg>\n";
    return svg;
}

QImage appIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    p.setPen(Qt::NoPen);
    const auto box = [&p](const Box& b) {
        p.drawRoundedRect(QRectF(b.x, b.y, b.w, b.h), b.radius, b.radius);
    };

    QLinearGradient tile(0, kTile.y, 0, kTile.y + kTile.h);
    tile.setColorAt(0, QColor(QLatin1String(kTileTop)));
    tile.setColorAt(1, QColor(QLatin1String(kTileBottom)));
    p.setBrush(tile);
    box(kTile);
    p.setBrush(QColor(QLatin1String(kSheet.fill)));
    box(kSheet);
    for (const Box& line : kLines) {
        p.setBrush(QColor(QLatin1String(line.fill)));
        box(line);
    }
    // An SVG stroke straddles the outline: half of the ring lies outside the radius.
    p.setPen(QPen(QColor(QLatin1String(kWhite)), kBadgeRing));
    p.setBrush(QColor(QLatin1String(kBadge)));
    p.drawEllipse(QPointF(kBadgeX, kBadgeY), kBadgeRadius, kBadgeRadius);
    QPainterPath tick;
    tick.moveTo(kTick[0][0], kTick[0][1]);
    tick.lineTo(kTick[1][0], kTick[1][1]);
    tick.lineTo(kTick[2][0], kTick[2][1]);
    p.setPen(QPen(QColor(QLatin1String(kWhite)), kTickWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
    return image;
}

} // namespace picgen
