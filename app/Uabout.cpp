#include "app/Uabout.h"

#include "app/Startup.h"
#include "ui/Helpers.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

TFrmAbout::TFrmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("FrmAbout"));
    setWindowTitle(QStringLiteral("关于"));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(Emblem(96));
    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(StudyPicture(QSize(420, 90)));
    LabelTitle = new QLabel(ProductTitle(), this);
    LabelTitle->setObjectName(QStringLiteral("LabelTitle"));
    LabelTitle->setWordWrap(true);
    QFont big = LabelTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.35);
    big.setBold(true);
    LabelTitle->setFont(big);
    LabelDetails = new QLabel(this);
    LabelDetails->setObjectName(QStringLiteral("LabelDetails"));
    LabelDetails->setWordWrap(true);
    LabelDetails->setText(
        QStringLiteral("版本 %1\n\n"
                       "章节练习、模拟考试、考点精讲、学习记录与学习计划，助您从容备考。\n\n"
                       "编制：习题练习系统开发组\n"
                       "本软件中的资格考试、法规条文与联系方式均为虚构，仅供学习练习之用。")
            .arg(QStringLiteral(VQ_VERSION)));
    Button1 = new QPushButton(QStringLiteral("关 闭"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    auto* text = new QVBoxLayout;
    text->addWidget(LabelTitle);
    text->addWidget(LabelDetails);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Image2, 0, Qt::AlignHCenter);
    layout->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(460, qMax(330, sizeHint().height()));
}

void TFrmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        CentreOnDesktop(this);
    }
}

QPixmap TFrmAbout::Emblem(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(2, 2, size - 4, size - 4);
    QLinearGradient fill(r.topLeft(), r.bottomRight());
    fill.setColorAt(0, QColor(0x4a, 0x9c, 0xec));
    fill.setColorAt(1, QColor(0x1c, 0x5f, 0xae));
    p.setPen(QPen(QColor(0x16, 0x4e, 0x90), 2));
    p.setBrush(fill);
    p.drawEllipse(r);
    // An open book.
    const qreal s = size / 96.0;
    p.setPen(QPen(QColor(0x16, 0x4e, 0x90), 1.5 * s));
    p.setBrush(Qt::white);
    QPainterPath left, right;
    left.moveTo(48 * s, 36 * s);
    left.cubicTo(38 * s, 30 * s, 26 * s, 30 * s, 20 * s, 33 * s);
    left.lineTo(20 * s, 66 * s);
    left.cubicTo(27 * s, 63 * s, 39 * s, 63 * s, 48 * s, 69 * s);
    left.closeSubpath();
    right.moveTo(48 * s, 36 * s);
    right.cubicTo(58 * s, 30 * s, 70 * s, 30 * s, 76 * s, 33 * s);
    right.lineTo(76 * s, 66 * s);
    right.cubicTo(69 * s, 63 * s, 57 * s, 63 * s, 48 * s, 69 * s);
    right.closeSubpath();
    p.drawPath(left);
    p.drawPath(right);
    // A tick over the right page: answered, and right.
    p.setPen(QPen(QColor(0x27, 0xae, 0x60), 5 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(54 * s, 48 * s), QPointF(61 * s, 56 * s), QPointF(74 * s, 40 * s)}));
    return pm;
}

QPixmap TFrmAbout::StudyPicture(const QSize& size) {
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(QPointF(0, 0), QSizeF(size));
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, QColor(0xea, 0xf2, 0xff));
    sky.setColorAt(1, QColor(0xfd, 0xfe, 0xff));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 8, 8);
    // Bars of a study chart climbing to the right, and a clock: practice every day.
    const QColor bars[] = {QColor(0x9b, 0xc4, 0xf0), QColor(0x74, 0xad, 0xea), QColor(0x4a, 0x9c, 0xec),
                           QColor(0x2e, 0x86, 0xde), QColor(0x23, 0x71, 0xc0), QColor(0x27, 0xae, 0x60)};
    const qreal w = r.width() * 0.07;
    for (int i = 0; i < 6; ++i) {
        const qreal h = r.height() * (0.25 + 0.11 * i);
        p.setBrush(bars[i]);
        p.drawRoundedRect(QRectF(r.width() * 0.08 + i * w * 1.45, r.height() * 0.88 - h, w, h), 3, 3);
    }
    const QPointF c(r.width() * 0.8, r.height() * 0.5);
    const qreal cr = r.height() * 0.34;
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0x2e, 0x86, 0xde), 3));
    p.drawEllipse(c, cr, cr);
    p.setPen(QPen(QColor(0x34, 0x49, 0x5e), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(0, -cr * 0.7));
    p.drawLine(c, c + QPointF(cr * 0.5, cr * 0.15));
    return pm;
}
