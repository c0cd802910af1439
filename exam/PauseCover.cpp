#include "exam/PauseCover.h"

#include <QEvent>
#include <QPainter>
#include <QTimer>

namespace {
const char* const Lines[] = {"考试已暂停", "题目已被遮盖，暂停的时间不计入考试用时", "按“继续考试”接着答题"};
}

PauseCover::PauseCover(QWidget* parent) : QWidget(parent), m_drift(new QTimer(this)) {
    setObjectName(QStringLiteral("PauseCover"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    parent->installEventFilter(this);
    m_drift->setInterval(60);
    connect(m_drift, &QTimer::timeout, this, [this] {
        m_offset = (m_offset + 1) % 100000;
        update();
    });
    hide();
}

void PauseCover::cover() {
    setGeometry(parentWidget()->rect());
    m_offset = 0;
    show();
    raise();
    m_drift->start();
}

void PauseCover::uncover() {
    m_drift->stop();
    hide();
}

bool PauseCover::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible())
        setGeometry(parentWidget()->rect());
    return false;
}

void PauseCover::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0x1e, 0x3a, 0x5f));
    QFont f = font();
    f.setPixelSize(qBound(14, height() / 14, 26));
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0xea, 0xf2, 0xff));
    const int lineHeight = QFontMetrics(f).height() * 2;
    const int top = height() / 2 - lineHeight;
    for (int i = 0; i < 3; ++i) {
        const QString text = QString::fromUtf8(Lines[i]);
        const int w = QFontMetrics(f).horizontalAdvance(text);
        // Each line starts in the middle, drifts to the left at its own pace and comes round again.
        const int span = qMax(1, width() + w);
        const int start = (width() - w) / 2 + w;
        const int x = ((start - m_offset * (i + 2) / 2) % span + span) % span - w;
        p.drawText(x, top + i * lineHeight, text);
    }
}
