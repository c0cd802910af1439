#include "ui/Uprogress.h"

#include "ui/Helpers.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

TFrmProgress* FrmProgress = nullptr;

namespace {

constexpr int kHourglassSide = 40;

// A drawn hourglass next to the status line: the window cannot animate, since its users keep the
// event loop busy while it shows.
class Hourglass : public QWidget {
public:
    explicit Hourglass(QWidget* parent) : QWidget(parent) { setFixedSize(kHourglassSide, kHourglassSide); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal s = kHourglassSide;
        const QColor frame(0x1f, 0x5f, 0xae);
        p.setPen(QPen(frame, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.22, s * 0.1), QPointF(s * 0.78, s * 0.1));
        p.drawLine(QPointF(s * 0.22, s * 0.9), QPointF(s * 0.78, s * 0.9));

        QPainterPath glass;
        glass.moveTo(s * 0.28, s * 0.14);
        glass.lineTo(s * 0.72, s * 0.14);
        glass.cubicTo(s * 0.72, s * 0.38, s * 0.54, s * 0.44, s * 0.54, s * 0.5);
        glass.cubicTo(s * 0.54, s * 0.56, s * 0.72, s * 0.62, s * 0.72, s * 0.86);
        glass.lineTo(s * 0.28, s * 0.86);
        glass.cubicTo(s * 0.28, s * 0.62, s * 0.46, s * 0.56, s * 0.46, s * 0.5);
        glass.cubicTo(s * 0.46, s * 0.44, s * 0.28, s * 0.38, s * 0.28, s * 0.14);
        p.setPen(QPen(frame, 1.6));
        p.setBrush(QColor(0xe8, 0xf1, 0xfc));
        p.drawPath(glass);

        // Sand: a little left on top, a heap below.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xf0, 0xa5, 0x00));
        QPainterPath top;
        top.moveTo(s * 0.36, s * 0.3);
        top.lineTo(s * 0.64, s * 0.3);
        top.lineTo(s * 0.5, s * 0.46);
        top.closeSubpath();
        p.drawPath(top);
        QPainterPath heap;
        heap.moveTo(s * 0.31, s * 0.84);
        heap.quadTo(s * 0.5, s * 0.62, s * 0.69, s * 0.84);
        heap.closeSubpath();
        p.drawPath(heap);
        p.drawRect(QRectF(s * 0.49, s * 0.5, s * 0.02, s * 0.3));
    }
};

} // namespace

TFrmProgress::TFrmProgress(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("FrmProgress"));
    setWindowTitle(QStringLiteral("进度条"));
    setCursor(Qt::WaitCursor);

    Label1 = new QLabel(QStringLiteral("请等待..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setStyleSheet(QStringLiteral("color: #1d2733; font-size: 11pt;"));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->setSpacing(14);
    layout->addWidget(new Hourglass(this));
    layout->addWidget(Label1, 1);

    setFixedSize(320, 76);
}

void TFrmProgress::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient bg(0, 0, 0, height());
    bg.setColorAt(0, QColor(0xff, 0xff, 0xff));
    bg.setColorAt(1, QColor(0xe9, 0xf0, 0xfa));
    p.fillRect(rect(), bg);
    p.fillRect(QRect(0, 0, 5, height()), QColor(0x1f, 0x5f, 0xae));
    p.setPen(QColor(0x1f, 0x5f, 0xae));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ShowProgress(const QString& statusLine) {
    if (!FrmProgress)
        FrmProgress = new TFrmProgress;
    FrmProgress->Label1->setText(statusLine);
    KeepAboveActiveWindow(FrmProgress);
    CentreOnDesktop(FrmProgress);
    FrmProgress->show();
    FrmProgress->raise();
    FrmProgress->repaint();
    QApplication::processEvents();
}

void HideProgress() {
    if (FrmProgress)
        FrmProgress->hide();
}
