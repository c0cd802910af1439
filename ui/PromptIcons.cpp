#include "ui/PromptIcons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

struct Palette {
    QColor light;
    QColor dark;
};

Palette paletteFor(PromptIconKind kind) {
    switch (kind) {
    case PromptIconKind::Notice:
        return {QColor(0x5d, 0xa9, 0xf6), QColor(0x1c, 0x64, 0xc8)};
    case PromptIconKind::Warning:
        return {QColor(0xff, 0xd1, 0x5c), QColor(0xf0, 0x8c, 0x00)};
    case PromptIconKind::Error:
        return {QColor(0xff, 0x7a, 0x6e), QColor(0xd0, 0x2b, 0x22)};
    }
    return {Qt::lightGray, Qt::darkGray};
}

QPainterPath warningTriangle(const QRectF& r) {
    // A triangle with softened corners reads better at small sizes than a sharp one.
    const qreal round = r.width() * 0.08;
    const QPointF top(r.center().x(), r.top());
    const QPointF left(r.left(), r.bottom());
    const QPointF right(r.right(), r.bottom());
    QPainterPath p;
    auto towards = [](QPointF from, QPointF to, qreal d) {
        const QPointF v = to - from;
        const qreal len = std::hypot(v.x(), v.y());
        return from + v * (d / len);
    };
    p.moveTo(towards(top, left, round));
    p.lineTo(towards(left, top, round));
    p.quadTo(left, towards(left, right, round));
    p.lineTo(towards(right, left, round));
    p.quadTo(right, towards(right, top, round));
    p.lineTo(towards(top, right, round));
    p.quadTo(top, towards(top, left, round));
    p.closeSubpath();
    return p;
}

} // namespace

QPixmap PromptIcon(PromptIconKind kind, int size, qreal devicePixelRatio) {
    const int px = qMax(1, qRound(size * devicePixelRatio));
    QPixmap pm(px, px);
    pm.setDevicePixelRatio(devicePixelRatio);
    pm.fill(Qt::transparent);

    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const Palette pal = paletteFor(kind);
    const QRectF body(s * 0.06, s * 0.06, s * 0.88, s * 0.88);

    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, pal.light);
    fill.setColorAt(1, pal.dark);

    // Soft shadow under the symbol.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 40));
    if (kind == PromptIconKind::Warning)
        p.drawPath(warningTriangle(body.translated(0, s * 0.03)));
    else
        p.drawEllipse(body.translated(0, s * 0.03));

    p.setBrush(fill);
    p.setPen(QPen(pal.dark.darker(115), qMax(1.0, s * 0.02)));
    if (kind == PromptIconKind::Warning)
        p.drawPath(warningTriangle(body));
    else
        p.drawEllipse(body);

    // Gloss on the upper half.
    if (kind != PromptIconKind::Warning) {
        QLinearGradient gloss(body.topLeft(), QPointF(body.left(), body.center().y()));
        gloss.setColorAt(0, QColor(255, 255, 255, 110));
        gloss.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(gloss);
        p.drawEllipse(body.adjusted(s * 0.1, s * 0.04, -s * 0.1, -s * 0.45));
    }

    const QColor ink = kind == PromptIconKind::Warning ? QColor(0x5a, 0x38, 0x00) : QColor(Qt::white);
    const qreal stroke = s * 0.11;
    p.setPen(QPen(ink, stroke, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(ink);
    const qreal cx = s / 2;
    switch (kind) {
    case PromptIconKind::Notice:
        p.drawLine(QPointF(cx, s * 0.44), QPointF(cx, s * 0.72));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(cx, s * 0.29), stroke * 0.62, stroke * 0.62);
        break;
    case PromptIconKind::Warning:
        p.drawLine(QPointF(cx, s * 0.38), QPointF(cx, s * 0.66));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(cx, s * 0.80), stroke * 0.6, stroke * 0.6);
        break;
    case PromptIconKind::Error: {
        const qreal a = s * 0.33;
        const qreal b = s * 0.67;
        p.drawLine(QPointF(a, a), QPointF(b, b));
        p.drawLine(QPointF(b, a), QPointF(a, b));
        break;
    }
    }
    return pm;
}
