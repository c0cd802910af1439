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
    // A dark number on every fill: white on the pale right/wrong pictures was hard to read.
    switch (m_state) {
    case QuestionState::NotAnswered:
        p.setPen(QColor(0x33, 0x41, 0x55));
        break;
    case QuestionState::Right:
        p.setPen(QColor(0x0f, 0x4d, 0x24));
        break;
    case QuestionState::Wrong:
        p.setPen(QColor(0x7f, 0x1d, 0x1d));
        break;
    }
    p.drawText(rect(), Qt::AlignCenter, text());
    if (hasFocus()) {
        p.setPen(QPen(QColor(0x25, 0x63, 0xeb), 2));
        p.drawRoundedRect(rect().adjusted(1, 1, -2, -2), 6, 6);
    }
}
