#include "tools/picgen/Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace picgen {

namespace {

// The background of the practice and exam windows, which shows in the rounded corners.
constexpr QRgb kBackground = 0xf3f6fb;
// Drawn this many times larger and scaled down: small curves come out smooth on every platform.
constexpr int kScale = 4;

QColor mix(QColor a, QColor b, double t) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

QPainterPath tileShape(const QRectF& r, double radius, bool flatBottom) {
    QPainterPath path;
    if (!flatBottom) {
        path.addRoundedRect(r, radius, radius);
        return path;
    }
    // A tab: rounded at the top, square where it meets the page below.
    path.moveTo(r.left(), r.bottom());
    path.lineTo(r.left(), r.top() + radius);
    path.arcTo(QRectF(r.left(), r.top(), 2 * radius, 2 * radius), 180, -90);
    path.lineTo(r.right() - radius, r.top());
    path.arcTo(QRectF(r.right() - 2 * radius, r.top(), 2 * radius, 2 * radius), 90, -90);
    path.lineTo(r.right(), r.bottom());
    path.closeSubpath();
    return path;
}

void drawFace(QPainter& p, const Picture& pic, const QRectF& r, double radius, bool flatBottom) {
    const QColor light(pic.light);
    const QColor dark(pic.dark);
    const QColor border(pic.border);
    const QPainterPath shape = tileShape(r, radius, flatBottom);

    // A soft shadow under a raised face; a pressed face sits flat.
    if (!pic.pressed) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 40, 80, 38));
        p.drawPath(tileShape(r.translated(0, 1.0), radius, flatBottom));
    }

    QLinearGradient face(r.topLeft(), r.bottomLeft());
    if (pic.pressed) {
        face.setColorAt(0, dark);
        face.setColorAt(1, mix(dark, light, 0.55));
    } else {
        face.setColorAt(0, light);
        face.setColorAt(0.5, mix(light, dark, 0.35));
        face.setColorAt(1, dark);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(face);
    p.drawPath(shape);

    p.save();
    p.setClipPath(shape);
    if (pic.pressed) {
        // Light falls into a pressed key from above: a shadow along its top edge.
        QLinearGradient inset(r.topLeft(), QPointF(r.left(), r.top() + r.height() * 0.35));
        inset.setColorAt(0, QColor(0, 0, 0, 60));
        inset.setColorAt(1, QColor(0, 0, 0, 0));
        p.fillRect(r, inset);
    } else {
        // A gloss over the upper half of a raised face.
        QLinearGradient gloss(r.topLeft(), QPointF(r.left(), r.center().y()));
        gloss.setColorAt(0, QColor(255, 255, 255, 150));
        gloss.setColorAt(1, QColor(255, 255, 255, 20));
        p.fillRect(QRectF(r.left(), r.top(), r.width(), r.height() / 2), gloss);
    }
    p.restore();

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(border, 1.0));
    p.drawPath(tileShape(r.adjusted(0.5, 0.5, -0.5, flatBottom ? 0 : -0.5), radius, flatBottom));
    if (pic.pressed) {
        // The inset ring that tells a pressed button at a glance.
        QColor ring = border.darker(120);
        ring.setAlpha(170);
        p.setPen(QPen(ring, 1.0));
        p.drawPath(tileShape(r.adjusted(2.5, 2.5, -2.5, flatBottom ? 0 : -2.5), radius - 2, flatBottom));
    } else {
        p.setPen(QPen(QColor(255, 255, 255, 170), 1.0));
        p.drawPath(tileShape(r.adjusted(1.5, 1.5, -1.5, flatBottom ? 0 : -1.5), radius - 1, flatBottom));
    }
}

// A small round badge in the top right corner, clear of the number in the middle.
void drawMark(QPainter& p, const Picture& pic, const QRectF& tile) {
    if (pic.mark == Mark::None)
        return;
    const double r = 4.8;
    const QPointF c(tile.right() - r - 2.2, tile.top() + r + 2.2);
    const QColor badge = QColor(pic.border).darker(pic.pressed ? 115 : 100);
    p.setPen(QPen(QColor(255, 255, 255, 220), 1.0));
    p.setBrush(badge);
    p.drawEllipse(c, r, r);

    QPen stroke(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(stroke);
    p.setBrush(Qt::NoBrush);
    switch (pic.mark) {
    case Mark::Check: {
        QPainterPath check;
        check.moveTo(c + QPointF(-2.4, 0.2));
        check.lineTo(c + QPointF(-0.7, 1.9));
        check.lineTo(c + QPointF(2.5, -1.8));
        p.drawPath(check);
        break;
    }
    case Mark::Cross:
        p.drawLine(c + QPointF(-1.8, -1.8), c + QPointF(1.8, 1.8));
        p.drawLine(c + QPointF(-1.8, 1.8), c + QPointF(1.8, -1.8));
        break;
    case Mark::Pen:
        // Answered, not yet marked: a dot, as a pen leaves on paper.
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(c, 1.8, 1.8);
        break;
    case Mark::None:
        break;
    }
}

} // namespace

QList<Picture> allPictures() {
    // Blue-grey for questions still open, green for right, red for wrong, amber for answered in an
    // exam; the pressed pictures use the same hues, darker.
    return {
        {QStringLiteral("mivoup.bmp"), Kind::QuestionTile, false, Mark::None, 0xfbfdff, 0xd5e1ef, 0x7f98b8},
        {QStringLiteral("mivodw.bmp"), Kind::QuestionTile, true, Mark::None, 0xeaf1f9, 0xb7c9df, 0x56779f},
        {QStringLiteral("mivoyes.bmp"), Kind::QuestionTile, false, Mark::Check, 0xf2fbf3, 0xbfe6c6, 0x3f9150},
        {QStringLiteral("mivodw_r.bmp"), Kind::QuestionTile, true, Mark::Check, 0xdff3e3, 0x9fd3aa, 0x2f7a40},
        {QStringLiteral("mivono.bmp"), Kind::QuestionTile, false, Mark::Cross, 0xfff4f3, 0xf3c4c0, 0xbf4a3f},
        {QStringLiteral("mivodw_w.bmp"), Kind::QuestionTile, true, Mark::Cross, 0xfbe2df, 0xe6a39d, 0xa23a30},
        {QStringLiteral("mivoover.bmp"), Kind::QuestionTile, false, Mark::Pen, 0xfffaec, 0xf5dea0, 0xc08a1c},
        {QStringLiteral("mivotxup.bmp"), Kind::TypeTab, false, Mark::None, 0xf4f7fb, 0xd3dce8, 0x90a3bd},
        {QStringLiteral("mivotxdw.bmp"), Kind::TypeTab, true, Mark::None, 0xffffff, 0xdbe8f8, 0x1f5fae},
    };
}

QImage render(const Picture& pic) {
    const QSize size = pic.kind == Kind::TypeTab ? QSize(96, 28) : QSize(44, 36);
    QImage big(size * kScale, QImage::Format_RGB32);
    big.fill(QColor(kBackground));
    {
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(kScale, kScale);
        if (pic.kind == Kind::TypeTab) {
            const QRectF tab(1, 2, size.width() - 2, size.height() - 2);
            // The selected tab is neither raised nor pushed in: it is the page's own header, with a
            // bar of the program's blue on top.
            Picture face = pic;
            face.pressed = false;
            drawFace(p, face, tab, 6, true);
            if (!pic.pressed) {
                // A tab in the background stands behind the page: the page's edge runs across its foot.
                p.setPen(QPen(QColor(pic.border), 1.0));
                p.drawLine(QPointF(0, size.height() - 0.5), QPointF(size.width(), size.height() - 0.5));
            } else {
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(pic.border));
                p.setClipPath(tileShape(tab, 6, true));
                p.drawRect(QRectF(tab.left(), tab.top(), tab.width(), 3));
            }
        } else {
            const QRectF tile(1, 1, size.width() - 2, size.height() - 3);
            drawFace(p, pic, tile, 6, false);
            drawMark(p, pic, tile);
        }
    }
    return big.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB888);
}

} // namespace picgen
