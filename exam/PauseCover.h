#pragma once

#include <QWidget>

class QTimer;

// Covers the question while the exam is paused, with a line of text drifting slowly across it.
class PauseCover : public QWidget {
    Q_OBJECT

public:
    explicit PauseCover(QWidget* parent);
    Q_DISABLE_COPY_MOVE(PauseCover)

    void cover();
    void uncover();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QTimer* m_drift;
    int m_offset = 0;
};
