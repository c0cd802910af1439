#include "exam/ExamClock.h"

#include "store/Clock.h"

void ExamClock::reset() {
    m_start = store::clock().now();
    m_kept = 0;
    m_paused = false;
}

void ExamClock::resetTo(qint64 seconds) {
    m_kept = qMax<qint64>(0, seconds);
    m_start = store::clock().now().addSecs(-m_kept);
    m_paused = false;
}

QString ExamClock::pause() {
    m_kept = elapsedSeconds();
    m_paused = true;
    return TextOf(m_kept);
}

void ExamClock::resume() {
    m_start = store::clock().now().addSecs(-m_kept);
    m_paused = false;
}

qint64 ExamClock::elapsedSeconds() const {
    if (!m_start.isValid())
        return 0;
    return qMax<qint64>(0, m_start.msecsTo(store::clock().now()) / 1000);
}

QString ExamClock::TextOf(qint64 s) {
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}
