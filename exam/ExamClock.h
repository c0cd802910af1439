#pragma once

#include <QDateTime>
#include <QString>

// The exam's elapsed-time counter. Pausing keeps the time reached so far; the counter itself goes on
// showing the time since its start until it is resumed, which then carries on from the kept time. So a
// learner who submits and then cancels is given back the seconds the question was open, and the limit
// is still tested while the submit question waits for an answer.
class ExamClock {
public:
    void reset();
    // Starts again as if seconds had already passed (an exam taken up after a crash).
    void resetTo(qint64 seconds);
    // Keeps the elapsed time, truncated to whole seconds, and returns it as text.
    QString pause();
    void resume();
    bool paused() const { return m_paused; }

    qint64 elapsedSeconds() const;
    // "h:mm:ss" with unpadded hours: 0:07:05.
    QString text() const { return TextOf(elapsedSeconds()); }
    static QString TextOf(qint64 seconds);

private:
    QDateTime m_start;
    qint64 m_kept = 0;
    bool m_paused = false;
};
