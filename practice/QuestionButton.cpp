#include "practice/QuestionButton.h"

#include <QPainter>

QuestionButton::QuestionButton(const QString& caption, QWidget* parent) : QToolButton(parent) {
    setText(caption);
    setCheckable(true);
    setAutoExclusive(true);
    setFocusPolicy(Qt::TabFocus);
    setMinimumSize(44, 36);
}

void QuestionButton::setPictures(QuestionState state, const QPixmap& normal, const QPixmap& pressed) {
    m_state = state;
    m_normal = normal;
    m_pressed = pressed;
    setProperty("questionState", int(state));
    update();
}

void QuestionButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPixmap& pic = isChecked() ? m_pressed : m_normal;
    if (!isEnabled())
        p.setOpacity(0.35);
    if (!pic.isNull())
        p.drawPixmap(rect(), pic);
    else
        p.fillRect(rect(), palette().button());
    QFont f = font();
    f.setBold(true);
    p.setFont(f);
    p.setPen(m_state == QuestionState::NotAnswered ? QColor(0x33, 0x41, 0x55) : QColor(Qt::white));
    p.drawText(rect(), Qt::AlignCenter, text());
    if (hasFocus()) {
        p.setPen(QPen(QColor(0x25, 0x63, 0xeb), 2));
        p.drawRoundedRect(rect().adjusted(1, 1, -2, -2), 6, 6);
    }
}
